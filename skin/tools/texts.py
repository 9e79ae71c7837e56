"""Texts of the two language files: (id, English, Simplified Chinese).

The ids the program itself uses come first; ids the layouts use are registered by gen_skin.py
through ui_text() so both files always hold the same set.
"""

MESSAGES = [
    ("message_text_1", "No device is connected. Connect the keyboard, mouse or mouse pad and try again.",
     "未检测到设备。请连接键盘、鼠标或鼠标垫后重试。"),
    ("message_text_2", "This macro is assigned to one or more keys. Delete it anyway? Those keys will return to their default functions.",
     "该宏已分配给按键。仍要删除吗？这些按键将恢复默认功能。"),
    ("message_text_3", "Save or cancel the changes to the current macro first.",
     "请先保存或取消对当前宏的修改。"),
    ("message_text_4", "Delete the selected macro?",
     "确定要删除所选的宏吗？"),
    ("message_text_5", "A macro with this name already exists. Please choose another name.",
     "已存在同名的宏，请换一个名称。"),
    ("message_text_6", "This is the only button set to left click. Give another button the left click first.",
     "这是唯一设为左键的按键。请先将左键功能分配给其他按键。"),
    ("message_text_7", "Not enough memory to prepare the data for the device. Close other programs and try again.",
     "内存不足，无法准备设备数据。请关闭其他程序后重试。"),
    ("message_text_8", "The profile file could not be found.",
     "找不到配置文件。"),
    ("message_text_9", "The profile file is damaged or is not a valid profile.",
     "配置文件已损坏或格式不正确。"),
    ("message_text_11", "This cannot be done: the last profile cannot be deleted, or the keyboard reports more keys than are supported.",
     "无法执行此操作：不能删除最后一个配置文件，或键盘报告的按键数量超出支持范围。"),
    ("message_text_12", "Delete the selected profile? This cannot be undone.",
     "确定要删除所选配置文件吗？此操作无法撤销。"),
    ("message_text_13", "This program is already linked to another profile.",
     "该程序已关联到其他配置文件。"),
    ("message_text_14", "Please enter a profile name.",
     "请输入配置文件名称。"),
    ("message_text_15", "A profile with this name already exists.",
     "已存在同名的配置文件。"),
    ("message_text_16", "The macros do not fit into the device memory. Remove at least %d steps and try again.",
     "宏数据超出设备存储空间。请至少删除 %d 个步骤后重试。"),
    ("message_text_17", "You can create at most %d macros.",
     "最多只能创建 %d 个宏。"),
    ("message_text_18", "This cursor script has more than 180 steps and cannot be imported.",
     "该弹道脚本超过 180 步，无法导入。"),
    ("message_text_20", "The device has been disconnected.",
     "设备已断开连接。"),
    ("message_scripts_not_sent", "The cursor scripts did not reach the mouse: it is not connected or did not answer. Try again once it is connected.",
     "弹道脚本未能发送到鼠标：鼠标未连接或没有响应。请在鼠标连接后重试。"),
    ("message_file_failed", "The file could not be read or written. Check the folder and the free space, then try again.",
     "无法读取或写入文件。请检查文件夹和剩余空间后重试。"),
    ("message_macro_rename_failed", "The macro could not be renamed: the name cannot be used for a file, or the macro's file could not be moved. The macro keeps its name.",
     "无法重命名宏：该名称不能用作文件名，或无法移动宏文件。宏保留原来的名称。"),
    ("message_text_device_access", "A device is connected, but this user may not open it. Install the udev rule 70-corvane.rules (it comes with the corvane package; see the README), then plug the device in again.",
     "设备已连接，但当前用户无权打开它。请安装 udev 规则 70-corvane.rules（随 corvane 软件包安装，详见 README），然后重新插入设备。"),
    # Settings that could not be saved, one text per cause; shown once per cause and run.
    ("message_save_disk_full", "Your settings could not be saved: the disk is full. Free some space; the last change is not stored.",
     "无法保存设置：磁盘已满。请释放一些空间；最近的更改未保存。"),
    ("message_save_name_too_long", "Your settings could not be saved: the name is too long for the file system. Choose a shorter profile or macro name.",
     "无法保存设置：名称对文件系统来说过长。请使用更短的配置文件或宏名称。"),
    ("message_save_not_a_file", "Your settings could not be saved: a folder or special file stands where a settings file belongs. Remove it and try again.",
     "无法保存设置：设置文件的位置被文件夹或特殊文件占用。请将其移除后重试。"),
    ("message_save_unreadable", "A settings file could not be read completely, so it was not rewritten and nothing in it was lost. Check the file and its permissions.",
     "无法完整读取某个设置文件，因此未改写该文件，其中的内容没有丢失。请检查该文件及其权限。"),
    ("message_save_failed", "Your settings could not be saved. Check that the Documents folder is writable; the last change is not stored.",
     "无法保存设置。请检查“文档”文件夹是否可写；最近的更改未保存。"),
    ("message_upload_failed", "The device did not receive the data: it is not connected or did not answer. Check the connection and try again.",
     "设备未收到数据：设备未连接或没有响应。请检查连接后重试。"),
    ("message_device_no_answer", "A device was found but did not answer. Corvane keeps trying; reconnect the device if this persists.",
     "已找到设备，但设备没有响应。程序会继续尝试；如果问题持续，请重新连接设备。"),
]

# Key names of the virtual-key table, in table order.
_MODS = [("LCtrl", "Left Ctrl", "左 Ctrl"), ("LShift", "Left Shift", "左 Shift"),
         ("LAlt", "Left Alt", "左 Alt"), ("LWin", "Left Win", "左 Win"),
         ("RCtrl", "Right Ctrl", "右 Ctrl"), ("RShift", "Right Shift", "右 Shift"),
         ("RAlt", "Right Alt", "右 Alt"), ("RWin", "Right Win", "右 Win")]
_LETTERS = [(c, c, c) for c in "ABCDEFGHIJKLMNOPQRSTUVWXYZ"]
_DIGITS = [(d, d, d) for d in "1234567890"]
_MAIN = [("Enter", "Enter", "回车"), ("Esc", "Esc", "Esc"), ("BackSpace", "Backspace", "退格"),
         ("Tab", "Tab", "Tab"), ("Space", "Space", "空格"), ("-", "-", "-"), ("=", "=", "="),
         ("[", "[", "["), ("]", "]", "]"), ("xiegang", "\\", "\\"), (";", ";", ";"),
         ("'", "'", "'"), ("`", "`", "`"), ("<", ",", "，"), (".", ".", "."), ("/", "/", "/"),
         ("Caplk", "Caps Lock", "大写锁定")]
_FKEYS = [("F%d" % i, "F%d" % i, "F%d" % i) for i in range(1, 13)]
_NAV = [("Print Scr", "Print Screen", "截屏"), ("Scroll Lock", "Scroll Lock", "滚动锁定"),
        ("Pause", "Pause", "暂停"), ("Insert", "Insert", "插入"), ("Home", "Home", "Home"),
        ("Page Up", "Page Up", "向上翻页"), ("Delete", "Delete", "删除"), ("End", "End", "End"),
        ("Page Down", "Page Down", "向下翻页"), ("Right", "Right Arrow", "右方向键"),
        ("Left", "Left Arrow", "左方向键"), ("Down", "Down Arrow", "下方向键"),
        ("Up", "Up Arrow", "上方向键")]
_PAD = ([("Num Lock", "Num Lock", "数字锁定"), ("Num /", "Num /", "小键盘 /"),
         ("Num *", "Num *", "小键盘 *"), ("Num -", "Num -", "小键盘 -"),
         ("Num +", "Num +", "小键盘 +"), ("Num Enter", "Num Enter", "小键盘回车")]
        + [("Num %d" % i, "Num %d" % i, "小键盘 %d" % i) for i in range(1, 10)]
        + [("Num 0", "Num 0", "小键盘 0"), ("Decimal", "Num .", "小键盘 ."),
           ("App", "Menu", "菜单键")])
_MEDIA = [("Launch App2", "Calculator", "计算器"), ("Browaer Home", "Browser Home", "浏览器主页"),
          ("Media Play Pause", "Play/Pause", "播放/暂停"), ("Browser Search", "Browser Search", "浏览器搜索"),
          ("Launch Mail", "Mail", "邮件"), ("Volume Up", "Volume Up", "音量加"),
          ("Volume Mute", "Mute", "静音"), ("Media Stop", "Stop", "停止"),
          ("Volume Down", "Volume Down", "音量减"), ("Browser Favorites", "Favorites", "收藏夹"),
          ("Browser ForWard", "Browser Forward", "浏览器前进"), ("Browser Back", "Browser Back", "浏览器后退"),
          ("Media Prev Track", "Previous Track", "上一曲"), ("Media Next Track", "Next Track", "下一曲"),
          ("Computer", "This PC", "此电脑"), ("Browser Refresh", "Refresh", "刷新"),
          ("Launch Media Select", "Media Player", "媒体播放器")]
_SYSTEM = [("Power", "Power", "电源"), ("Sleep", "Sleep", "睡眠"), ("Wakeup", "Wake Up", "唤醒")]

KEY_NAMES = [("keyboard_key_" + k, en, cn)
             for k, en, cn in _MODS + _LETTERS + _DIGITS + _MAIN + _FKEYS + _NAV + _PAD + _MEDIA + _SYSTEM]

FUNCTIONS = [
    ("mouse_key_left", "Left Click", "左键"),
    ("mouse_key_middle", "Middle Click", "中键"),
    ("mouse_key_right", "Right Click", "右键"),
    ("mouse_key_forward", "Forward", "前进键"),
    ("mouse_key_back", "Back", "后退键"),
    ("mouse_key_DPI_add", "DPI Up", "DPI 增加"),
    ("mouse_key_DPI_sub", "DPI Down", "DPI 减少"),
    ("mouse_key_DPI_loop", "DPI Cycle", "DPI 循环"),
    ("mouse_key_left_Swing", "Swing Left", "左摆"),
    ("mouse_key_right_Swing", "Swing Right", "右摆"),
    ("mouse_key_up_Swing", "Swing Up", "上摆"),
    ("mouse_key_down_Swing", "Swing Down", "下摆"),
    ("mouse_key_fire_key", "Fire Key", "连发键"),
    ("GUN_1", "Cursor Script 1", "弹道脚本 1"),
    ("GUN_2", "Cursor Script 2", "弹道脚本 2"),
    ("GUN_3", "Cursor Script 3", "弹道脚本 3"),
    ("GUN_4", "Cursor Script 4", "弹道脚本 4"),
    ("mouse_move_to_left_text", "Move Left", "左移"),
    ("mouse_move_to_right_text", "Move Right", "右移"),
    ("mouse_move_to_up_text", "Move Up", "上移"),
    ("mouse_move_to_down_text", "Move Down", "下移"),
    ("media_text", "Media Player", "媒体播放器"),
    ("media_play", "Play/Pause", "播放/暂停"),
    ("media_stop", "Stop", "停止"),
    ("media_prev", "Previous Track", "上一曲"),
    ("media_next", "Next Track", "下一曲"),
    ("media_vol_sub", "Volume Down", "音量减"),
    ("media_vol_add", "Volume Up", "音量加"),
    ("media_mute", "Mute", "静音"),
    ("web_text", "Browser Home", "浏览器主页"),
    ("web_refresh", "Refresh", "刷新"),
    ("wed_stop", "Stop Loading", "停止加载"),
    ("wed_back", "Back", "后退"),
    ("wed_forward", "Forward", "前进"),
    ("wed_favorite", "Favorites", "收藏夹"),
    ("web_search", "Search", "搜索"),
    ("media_mypc", "This PC", "此电脑"),
    ("media_calc", "Calculator", "计算器"),
    ("media_mail", "Mail", "邮件"),
    ("system_power", "Power Off", "关机"),
    ("system_sleep", "Sleep", "睡眠"),
    ("system_wake_up", "Wake Up", "唤醒"),
    # Joins a key's own name and its assignment in the key tooltips.
    ("Key_Set", " \u2192 ", " \u2192 "),
    ("macro_btn_star_redio_text", "Start Recording", "开始录制"),
    ("macro_btn_stop_redio_text", "Stop Recording", "停止录制"),
    ("ui_recording_hint", "Recording: keys typed in this window and the chosen mouse buttons become steps. Press Stop Recording to end.",
     "正在录制：在本窗口中按下的按键和所选的鼠标按键都会成为步骤。按“停止录制”结束。"),
]

# Questions and notes the pages show beyond the numbered messages.
PAGE_TEXTS = [
    ("message_confirm_pad_reset", "Reset the mouse pad to its factory settings? Its lighting profiles on the pad are replaced.",
     "将鼠标垫恢复为出厂设置吗？鼠标垫上的灯光配置将被替换。"),
    ("message_confirm_mouse_restore", "Reset the mouse and set the system pointer back to its defaults?",
     "重置鼠标并将系统指针设置恢复为默认值吗？"),
    ("ms_pointer_hint_all", "Sets the system pointer speed and wheel lines back to their defaults and resets the mouse.",
     "将系统指针速度和滚轮行数恢复为默认值，并重置鼠标。"),
    ("ms_pointer_hint_speed", "Sets the system pointer speed back to its default and resets the mouse. This desktop keeps no wheel-lines setting.",
     "将系统指针速度恢复为默认值，并重置鼠标。此桌面没有滚轮行数设置。"),
    ("ms_pointer_hint_none", "This desktop does not let programs change the pointer speed or wheel lines; the button only resets the mouse.",
     "此桌面不允许程序更改指针速度和滚轮行数；此按钮只重置鼠标。"),
    ("profile_export_overwrite", "A file with this name already exists. Replace it?",
     "同名文件已存在。要替换它吗？"),
    # The link check box on desktops that do not tell which window is in front.
    ("ui_link_unavailable", "Link (unsupported)", "关联程序（不支持）"),
    ("ui_link_unavailable_tip", "This desktop does not tell programs which window is in front (GNOME on Wayland, for example), so linked profiles are kept but not switched to. X11, KDE Plasma, Sway and Hyprland sessions are supported.",
     "此桌面不向程序提供前台窗口信息（例如 Wayland 下的 GNOME），关联会保存但不会自动切换。支持 X11、KDE Plasma、Sway 和 Hyprland 会话。"),
]

PROGRAM_TEXTS = MESSAGES + KEY_NAMES + FUNCTIONS + PAGE_TEXTS
