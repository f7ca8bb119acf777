#ifndef TESTS_APP_SCRIPTEDIO_H
#define TESTS_APP_SCRIPTEDIO_H

#include <sstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "app/GameIo.h"

namespace goalbox::test {

// Keys and lines from one scripted byte string, output into string streams, clearing as a
// form feed, and a clock that advances by a fixed step on every reading. During a search's key
// watch it can answer as a player who waits for a text on the screen and then presses Esc (or
// whose input ends there); a key or line read during the watch is a failure.
class ScriptedIo final : public GameIo {
  public:
    explicit ScriptedIo(std::string input, bool terminal = false, std::int64_t tick = 0)
        : input_(std::move(input)), terminal_(terminal), tick_(tick) {}

    int readKey() override {
        EXPECT_FALSE(watching_) << "a key read during a search";
        if (at_ >= input_.size()) {
            return KEY_END;
        }
        return static_cast<unsigned char>(input_[at_++]);
    }
    bool readLine(std::string& line) override {
        EXPECT_FALSE(watching_) << "a line read during a search";
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
    void beginKeyWatch() override {
        EXPECT_FALSE(watching_);
        watching_ = true;
    }
    void endKeyWatch() override { watching_ = false; }
    KeyWatch pollKeyWatch() override {
        EXPECT_TRUE(watching_) << "keys polled outside a search";
        if (interrupt_ == WATCH_NOTHING || out_.str().find(cue_) == std::string::npos) {
            return WATCH_NOTHING;
        }
        return std::exchange(interrupt_, WATCH_NOTHING);
    }
    std::thread startWorker(std::function<void()> work) override {
        return std::thread(std::move(work));
    }
    std::ostream& out() override { return out_; }
    std::ostream& err() override { return err_; }

    std::string written() const { return out_.str(); }
    bool isWatching() const { return watching_; }
    // The key watch gives `interrupt` once, as soon as the output holds `cue`.
    void interruptWhenShown(std::string cue, KeyWatch interrupt) {
        cue_       = std::move(cue);
        interrupt_ = interrupt;
    }

  private:
    std::string input_;
    std::size_t at_ = 0;
    bool terminal_;
    std::int64_t tick_;
    std::int64_t now_ = 0;
    bool watching_    = false;
    std::string cue_;
    KeyWatch interrupt_ = WATCH_NOTHING;
    std::ostringstream out_;
    std::ostringstream err_;
};

} // namespace goalbox::test

#endif
