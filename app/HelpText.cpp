#include "app/HelpText.h"

// Nine lines joined by CR LF; the breaks inside words are part of the text.
const Text HelpText =
    "帮助：\r\n"
    "首先先选择需要调整的窗口的名称，然后拉动滑\r\n"
    "块条，即可改变该窗口的透明度！并且支持一键\r\n"
    "半透明、一键还原！\r\n"
    "\r\n"
    "注意：\r\n"
    "请尽量不要将透明度拉到低！以免您看不见窗口\r\n"
    "，影响您正常的使用！在关闭、刷新窗口前，请\r\n"
    "先还原透明度！";

const Text HelpCaption = "帮助";
