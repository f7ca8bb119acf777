#ifndef TESTS_APP_SCRIPTEDIO_H
#define TESTS_APP_SCRIPTEDIO_H

#include <sstream>
#include <string>

#include "app/GameIo.h"

namespace goalbox::test {

// Keys and lines from one scripted byte string, output into string streams, clearing as a
// form feed, and a clock that advances by a fixed step on every reading.
class ScriptedIo final : public GameIo {
  public:
    explicit ScriptedIo(std::string input, bool terminal = false, std::int64_t tick = 0)
        : input_(std::move(input)), terminal_(terminal), tick_(tick) {}

    int readKey() override {
        if (at_ >= input_.size()) {
            return KEY_END;
        }
        return static_cast<unsigned char>(input_[at_++]);
    }
    bool readLine(std::string& line) override {
        if (at_ >= input_.size()) {
            return false;
        }
        const std::size_t end = input_.find('\n', at_);
        line = input_.substr(at_, end == std::string::npos ? std::string::npos : end - at_);
        at_  = end == std::string::npos ? input_.size() : end + 1;
        return true;
    }
    void echo(int key) override { out_ << static_cast<char>(key); }
    void clearScreen() override { out_ << '\f'; }
    std::int64_t clockMillis() override { return now_ += tick_; }
    bool isTerminal() override { return terminal_; }
    std::ostream& out() override { return out_; }
    std::ostream& err() override { return err_; }

    std::string written() const { return out_.str(); }

  private:
    std::string input_;
    std::size_t at_ = 0;
    bool terminal_;
    std::int64_t tick_;
    std::int64_t now_ = 0;
    std::ostringstream out_;
    std::ostringstream err_;
};

} // namespace goalbox::test

#endif
