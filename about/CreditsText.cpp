#include "about/CreditsText.h"

const Text CreditsText =
    "Tavrin制作 E-mail:tavrin@example.com 欢迎问题反馈"
    "|"
    "该程序可随意调节绝大部分有窗口标题的窗口的透明度，且免费使用、无插件、无广告！"
    "|"
    "10月26日程序首次制作并进行了完善，帮助信息请点击 帮助注意 查看";
