"""Key names (language keys and their English and Chinese texts) and the keyboard picture.

The name keys are those of the key code table; the logical key index of each keycap
follows the key identity table of the keyboard.
"""

# (language key, English, Chinese) for every row of the key code table.
MODIFIERS = [
    ("keyboard_key_LCtrl", "L Ctrl", "左Ctrl"), ("keyboard_key_LShift", "L Shift", "左Shift"),
    ("keyboard_key_LAlt", "L Alt", "左Alt"), ("keyboard_key_LWin", "L Win", "左Win"),
    ("keyboard_key_RCtrl", "R Ctrl", "右Ctrl"), ("keyboard_key_RShift", "R Shift", "右Shift"),
    ("keyboard_key_RAlt", "R Alt", "右Alt"), ("keyboard_key_RWin", "R Win", "右Win"),
]
LETTERS = [("keyboard_key_" + c, c, c) for c in "ABCDEFGHIJKLMNOPQRSTUVWXYZ"]
DIGITS = [("keyboard_key_" + c, c, c) for c in "1234567890"]
PUNCTUATION = [
    ("keyboard_key_Enter", "Enter", "回车"), ("keyboard_key_Esc", "Esc", "Esc"),
    ("keyboard_key_BackSpace", "Backspace", "退格"), ("keyboard_key_Tab", "Tab", "Tab"),
    ("keyboard_key_Space", "Space", "空格"), ("keyboard_key_-", "-", "-"), ("keyboard_key_=", "=", "="),
    ("keyboard_key_[", "[", "["), ("keyboard_key_]", "]", "]"), ("keyboard_key_xiegang", "\\", "\\"),
    ("keyboard_key_;", ";", ";"), ("keyboard_key_'", "'", "'"), ("keyboard_key_`", "`", "`"),
    ("keyboard_key_<", ",", ","), ("keyboard_key_.", ".", "."), ("keyboard_key_/", "/", "/"),
    ("keyboard_key_Caplk", "Caps", "大写"),
]
FUNCTION_KEYS = [("keyboard_key_F%d" % n, "F%d" % n, "F%d" % n) for n in range(1, 13)]
NAVIGATION = [
    ("keyboard_key_Print Scr", "PrtSc", "截屏"), ("keyboard_key_Scroll Lock", "ScrLk", "滚动锁定"),
    ("keyboard_key_Pause", "Pause", "暂停"), ("keyboard_key_Insert", "Ins", "插入"),
    ("keyboard_key_Home", "Home", "Home"), ("keyboard_key_Page Up", "PgUp", "上页"),
    ("keyboard_key_Delete", "Del", "删除"), ("keyboard_key_End", "End", "End"),
    ("keyboard_key_Page Down", "PgDn", "下页"), ("keyboard_key_Right", "→", "→"),
    ("keyboard_key_Left", "←", "←"), ("keyboard_key_Down", "↓", "↓"), ("keyboard_key_Up", "↑", "↑"),
]
KEYPAD = [
    ("keyboard_key_Num Lock", "Num", "数字锁定"), ("keyboard_key_Num /", "/", "/"),
    ("keyboard_key_Num *", "*", "*"), ("keyboard_key_Num -", "-", "-"), ("keyboard_key_Num +", "+", "+"),
    ("keyboard_key_Num Enter", "Enter", "回车"),
] + [("keyboard_key_Num %d" % n, str(n), str(n)) for n in range(1, 10)] + [
    ("keyboard_key_Num 0", "0", "0"), ("keyboard_key_Decimal", ".", "."),
]
EXTRA = [
    ("keyboard_key_App", "Menu", "菜单"), ("keyboard_key_K45", "\\ (ISO)", "\\ (ISO)"),
    ("keyboard_key_K56", "Ro", "Ro"), ("keyboard_key_K14", "Yen", "¥"), ("keyboard_key_K107", "Num ,", "Num ,"),
    ("keyboard_key_K131", "Muhenkan", "无变换"), ("keyboard_key_K132", "Henkan", "变换"),
    ("keyboard_key_K133", "Kana", "假名"), ("keyboard_key_K150", "Han/Yeong", "韩/英"),
    ("keyboard_key_K151", "Hanja", "汉字"), ("keyboard_key_K42", "# (ISO)", "# (ISO)"),
]
CONSUMER = [
    ("keyboard_key_Launch App2", "Calculator", "计算器"), ("keyboard_key_Browaer Home", "Browser home", "浏览器主页"),
    ("keyboard_key_Media Play Pause", "Play/Pause", "播放/暂停"), ("keyboard_key_Browser Search", "Search", "搜索"),
    ("keyboard_key_Launch Mail", "Mail", "邮件"), ("keyboard_key_Volume Up", "Volume up", "音量加"),
    ("keyboard_key_Volume Mute", "Mute", "静音"), ("keyboard_key_Media Stop", "Stop", "停止"),
    ("keyboard_key_Volume Down", "Volume down", "音量减"), ("keyboard_key_Browser Favorites", "Favourites", "收藏夹"),
    ("keyboard_key_Browser ForWard", "Forward", "前进"), ("keyboard_key_Browser Back", "Back", "后退"),
    ("keyboard_key_Media Prev Track", "Previous track", "上一曲"),
    ("keyboard_key_Media Next Track", "Next track", "下一曲"), ("keyboard_key_Computer", "My computer", "我的电脑"),
    ("keyboard_key_Browser Refresh", "Refresh", "刷新"), ("wed_stop", "Stop loading", "停止加载"),
    ("keyboard_key_Launch Media Select", "Media player", "媒体播放器"),
]
SYSTEM = [("keyboard_key_Power", "Power", "电源"), ("keyboard_key_Sleep", "Sleep", "睡眠"),
          ("keyboard_key_Wakeup", "Wake up", "唤醒")]
MACRO_KEYS = [("keyboard_key_M%d" % n, "M%d" % n, "M%d" % n) for n in range(1, 6)]
DEVICE_KEYS = [("keyboard_key_FN", "Fn", "Fn"), ("keyboard_key_GM", "GM", "GM")]

KEY_CODE_TABLE = (MODIFIERS + LETTERS + DIGITS + PUNCTUATION + FUNCTION_KEYS + NAVIGATION + KEYPAD + EXTRA
                  + CONSUMER + SYSTEM + MACRO_KEYS + DEVICE_KEYS)
assert len(KEY_CODE_TABLE) == 142, len(KEY_CODE_TABLE)

# The keyboard picture: logical key index -> (x, y, width, height) in key units and its
# name key. Keys of other regional layouts are kept but hidden.
U = 1.0
ROW = [0, 1.25, 2.25, 3.25, 4.25, 5.25]
NAV_X, PAD_X = 15.25, 18.5
LAYOUT = {}


def place(index, x, y, name, width=U, height=U):
    LAYOUT[index] = (x, y, width, height, name)


def row_of(indexes, names, x, y):
    for i, (index, name) in enumerate(zip(indexes, names)):
        place(index, x + i, y, name)


place(0, 0, ROW[0], "keyboard_key_Esc")
for group in range(3):
    x = 2 + group * 4.5
    row_of(range(1 + group * 4, 5 + group * 4), ["keyboard_key_F%d" % n for n in range(1 + group * 4, 5 + group * 4)],
           x, ROW[0])
row_of([13, 14, 15], ["keyboard_key_Print Scr", "keyboard_key_Scroll Lock", "keyboard_key_Pause"], NAV_X, ROW[0])
place(16, PAD_X + 2, ROW[0], "keyboard_key_GM")
place(17, PAD_X + 3, ROW[0], "")

row_of([21] + list(range(22, 32)) + [32, 33],
       ["keyboard_key_`"] + ["keyboard_key_%s" % c for c in "1234567890"] + ["keyboard_key_-", "keyboard_key_="],
       0, ROW[1])
place(34, 13, ROW[1], "keyboard_key_BackSpace", 2)
row_of([35, 36, 37], ["keyboard_key_Insert", "keyboard_key_Home", "keyboard_key_Page Up"], NAV_X, ROW[1])
row_of([38, 39, 40, 41], ["keyboard_key_Num Lock", "keyboard_key_Num /", "keyboard_key_Num *", "keyboard_key_Num -"],
       PAD_X, ROW[1])

place(42, 0, ROW[2], "keyboard_key_Tab", 1.5)
row_of(range(43, 55), ["keyboard_key_%s" % c for c in "QWERTYUIOP"] + ["keyboard_key_[", "keyboard_key_]"],
       1.5, ROW[2])
place(55, 13.5, ROW[2], "keyboard_key_xiegang", 1.5)
row_of([56, 57, 58], ["keyboard_key_Delete", "keyboard_key_End", "keyboard_key_Page Down"], NAV_X, ROW[2])
row_of([59, 60, 61], ["keyboard_key_Num 7", "keyboard_key_Num 8", "keyboard_key_Num 9"], PAD_X, ROW[2])
place(119, PAD_X + 3, ROW[2], "keyboard_key_Num +", U, 2)

place(63, 0, ROW[3], "keyboard_key_Caplk", 1.75)
row_of(range(64, 75), ["keyboard_key_%s" % c for c in "ASDFGHJKL"] + ["keyboard_key_;", "keyboard_key_'"],
       1.75, ROW[3])
place(75, 12.75, ROW[3], "keyboard_key_Enter", 2.25)
row_of([76, 77, 78], ["keyboard_key_Num 4", "keyboard_key_Num 5", "keyboard_key_Num 6"], PAD_X, ROW[3])

place(84, 0, ROW[4], "keyboard_key_LShift", 2.25)
row_of(range(85, 95), ["keyboard_key_%s" % c for c in "ZXCVBNM"] + ["keyboard_key_<", "keyboard_key_.",
                                                                   "keyboard_key_/"], 2.25, ROW[4])
place(95, 12.25, ROW[4], "keyboard_key_RShift", 2.75)
place(96, NAV_X + 1, ROW[4], "keyboard_key_Up")
row_of([97, 98, 99], ["keyboard_key_Num 1", "keyboard_key_Num 2", "keyboard_key_Num 3"], PAD_X, ROW[4])
place(118, PAD_X + 3, ROW[4], "keyboard_key_Num Enter", U, 2)

place(105, 0, ROW[5], "keyboard_key_LCtrl", 1.25)
place(106, 1.25, ROW[5], "keyboard_key_LWin", 1.25)
place(107, 2.5, ROW[5], "keyboard_key_LAlt", 1.25)
place(108, 3.75, ROW[5], "keyboard_key_Space", 6.25)
place(109, 10, ROW[5], "keyboard_key_RAlt", 1.25)
place(110, 11.25, ROW[5], "keyboard_key_FN", 1.25)
place(111, 12.5, ROW[5], "keyboard_key_App", 1.25)
place(112, 13.75, ROW[5], "keyboard_key_RCtrl", 1.25)
row_of([113, 114, 115], ["keyboard_key_Left", "keyboard_key_Down", "keyboard_key_Right"], NAV_X, ROW[5])
place(116, PAD_X, ROW[5], "keyboard_key_Num 0", 2)
place(117, PAD_X + 2, ROW[5], "keyboard_key_Decimal")

# Keys of ISO and Japanese/Korean boards, the macro column and the right GUI key: the
# logical indexes exist, this picture (a full-size ANSI board) has no place for them.
HIDDEN = {62: "keyboard_key_K42", 79: "keyboard_key_K132", 80: "keyboard_key_K131", 81: "keyboard_key_K151",
          82: "keyboard_key_K150", 83: "keyboard_key_K133", 100: "keyboard_key_K56", 101: "keyboard_key_K14",
          102: "keyboard_key_K45", 103: "keyboard_key_K107", 120: "keyboard_key_M1", 121: "keyboard_key_M2",
          122: "keyboard_key_M3", 123: "keyboard_key_M4", 124: "keyboard_key_M5", 125: "keyboard_key_RWin"}
KEY_COUNT = 170
