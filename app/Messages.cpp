// The one table of texts the player sees.
#include "app/Messages.h"

namespace goalbox::text {

// clang-format off
const std::string_view TITLE           = "goalbox 推箱子";
const std::string_view INFO            =
    "把每个箱子都推到目标点上就过关了。箱子只能推，不能拉，一次只能推一个。\n"
    "选择关卡时输入目录 ../STAGES/ZIRK/ 下的关卡文件名，例如 1；输入 quit 退出。\n"
    "方向键移动，H键显示帮助，R键重玩，C键换地图，S键自动求解，Q键退出。\n"
    "输入列号、非数字键、行号、非数字键，搬运工走到该点。\n"
    "按任意键开始。\n";
const std::string_view LEVEL_PROMPT           = "选择关卡(默认路径:\t../STAGES/ZIRK/)：";
const std::string_view LOAD_OK_MESSAGE        = "载入成功:-)\n";
const std::string_view LOAD_NOT_FOUND_MESSAGE = "关卡不存在:-(\n";
const std::string_view LOAD_BAD_DATA_MESSAGE  = "关卡数据出错:-(\n";
const std::string_view LOAD_UNKNOWN_MESSAGE   = "未知错误!\n";
const std::string_view HELP =
    "上下左右键移动搬运工并且可以推箱子\n"
    "输入列号，非数字键，行号，移动到特定点（步数最小）\n"
    "R键重玩\n"
    "C键换地图\n"
    "S键自动求解\n"
    "Q键退出\n";
const std::string_view TAUNT                 = "怕了吧，果然是SB!哈哈";
const std::string_view CONTINUE_PROMPT       = "是否继续？（Ｙ／Ｎ）";
const std::string_view HELP_HINT             = "H键显示帮助";
const std::string_view STEP_COUNTER          = "已经走过的步数:\t";
const std::string_view TRAPPED_WARNING       = "你好像已经困住了！";
const std::string_view PATH_LENGTH           = "路径长度:";
const std::string_view SOLVING               = "正在求解，请耐心等待……";
const std::string_view NO_SOLUTION           = "证明无解！";
const std::string_view SOLVE_TIME            = "\n求解结束,总共用时:";
const std::string_view SOLVE_ROUTE           = "求解路线：";
const std::string_view SOLVE_OUT_OF_MEMORY   = "内存不足，求解已停止，棋盘保持原样。按任意键继续。";
// The progress line: "寻找最少步数，至少58步  已存局面:1234" while the fewest steps are not
// known, "最少116步，整理路线40/116  已存局面:1234" once they are.
const std::string_view SOLVE_PROGRESS_BOUND   = "寻找最少步数，至少";
const std::string_view SOLVE_PROGRESS_FEWEST  = "最少";
const std::string_view SOLVE_PROGRESS_STEPS   = "步";
const std::string_view SOLVE_PROGRESS_ROUTE   = "，整理路线";
const std::string_view SOLVE_PROGRESS_STATES  = "  已存局面:";
// Once a route is at hand, in place of the stored positions: "  已有一条981步的路线（未必最短），按Esc采用".
const std::string_view SOLVE_PROGRESS_OFFER       = "  已有一条";
const std::string_view SOLVE_PROGRESS_OFFER_STEPS = "步的路线（未必最短），按Esc采用";
// After the fewest steps ran out of memory: "内存不足，未能求出最少步数；正在寻找一条路线，已用12秒，按Esc停止".
const std::string_view SOLVE_PROGRESS_WAIT         = "内存不足，未能求出最少步数；正在寻找一条路线，已用";
const std::string_view SOLVE_PROGRESS_WAIT_SECONDS = "秒，按Esc停止";
const std::string_view SOLVE_BUDGET_ROUTE  = "内存不足，未能求出最少步数；下面的路线可以解开本关，但未必最短。";
const std::string_view SOLVE_STOPPED_ROUTE = "已停止寻找最少步数；下面的路线可以解开本关，但未必最短。";
const std::string_view SOLVE_STOPPED       = "已停止求解，棋盘保持原样。按任意键继续。";
const std::string_view SETTINGS_BAD_MEMORY    =
    "环境变量 GOALBOX_MEMORY_MIB 应是一个正整数（求解可用的内存，单位 MiB），现改用默认的内存上限。";

const std::string_view SYMBOL_OUTSIDE     = "　";
const std::string_view SYMBOL_WALL        = "▓";
const std::string_view SYMBOL_BOX         = "●";
const std::string_view SYMBOL_FLOOR       = "□";
const std::string_view SYMBOL_BOX_ON_GOAL = "○";
const std::string_view SYMBOL_GOAL        = "▼";
const std::string_view SYMBOL_PLAYER      = "♀";

const std::string_view DIRECTION_ARROWS[4] = {"→", "↓", "↑", "←"};
// clang-format on

} // namespace goalbox::text
