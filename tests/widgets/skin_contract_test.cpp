// The real skin, built by the real builder, against the names and texts the program relies on.
// The list of controls (skin/required_controls.txt) and of program texts
// (skin/required_texts.txt) are data beside the skin; this test reads the copy in <bin>/skin.

#include <gtest/gtest.h>

#include <QApplication>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "widgets/skin_builder.h"
#include "widgets/skin_window.h"
#include "skin_dir.h"
#include "ui/control.h"

namespace corvane::widgets {
namespace {

using ui::ControlKind;

using testing::SkinDir;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct Required {
    std::string window;
    std::string name;
    std::string kind;
    bool unique = true;
};

std::vector<Required> ReadRequired() {
    std::vector<Required> out;
    std::ifstream in(SkinDir() / "required_controls.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Required r;
        int unique = 1;
        fields >> r.window >> r.name >> r.kind >> unique;
        r.unique = unique != 0;
        out.push_back(r);
    }
    return out;
}

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
    std::vector<std::string> out;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] != '#') out.push_back(line);
    }
    return out;
}

// Which control classes satisfy a kind of the list; an empty set accepts any control.
const std::map<std::string, std::set<ControlKind>>& KindTable() {
    static const std::map<std::string, std::set<ControlKind>> table = {
        {"button", {ControlKind::Button}},
        {"option", {ControlKind::Option, ControlKind::CheckBox}},
        {"check", {ControlKind::CheckBox, ControlKind::Option}},
        {"combo", {ControlKind::Combo}},
        {"edit", {ControlKind::Edit}},
        {"slider", {ControlKind::Slider}},
        {"label", {ControlKind::Label, ControlKind::Text}},
        {"tab", {ControlKind::TabLayout}},
        {"list", {ControlKind::List}},
        {"palette", {ControlKind::ColorPalette}},
        {"progress", {ControlKind::CircleProgress, ControlKind::Progress}},
        {"container",
         {ControlKind::VerticalLayout, ControlKind::HorizontalLayout, ControlKind::Container,
          ControlKind::TabLayout, ControlKind::ScrollContainer}},
        {"picture", {}},
    };
    return table;
}

// The windows of the skin, built once for all tests (building the main window is the slow part).
class SkinEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "skin_contract_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        for (const auto& [window, layout] : kLayouts) {
            std::string error;
            auto built = SkinWindow::Load(SkinDir(), layout, &error);
            errors_[window] = error;
            windows_[window] = std::move(built);
        }
    }
    void TearDown() override {
        windows_.clear();
        app_.reset();
    }

    static SkinWindow* Window(const std::string& id) {
        auto it = windows_.find(id);
        return it == windows_.end() ? nullptr : it->second.get();
    }
    static std::string Error(const std::string& id) { return errors_[id]; }

    static constexpr std::pair<const char*, const char*> kLayouts[] = {
        {"main", "XML_MAIN"}, {"msg", "XML_MSG"}, {"skin", "skin.xml"}};

private:
    std::unique_ptr<QApplication> app_;
    static inline std::map<std::string, std::unique_ptr<SkinWindow>> windows_;
    static inline std::map<std::string, std::string> errors_;
};

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SkinEnvironment);

std::multimap<std::string, ui::Control*> ControlsByName(const SkinWindow& window) {
    std::multimap<std::string, ui::Control*> out;
    for (ui::Control* c : window.Controls()) {
        if (!c->Name().empty()) out.emplace(Lower(c->Name()), c);
    }
    return out;
}

TEST(SkinContract, EveryWindowBuilds) {
    for (const auto& [window, layout] : SkinEnvironment::kLayouts) {
        EXPECT_NE(SkinEnvironment::Window(window), nullptr)
            << layout << ": " << SkinEnvironment::Error(window);
    }
}

TEST(SkinContract, ProgramControlsExistOnceWithTheirKind) {
    const auto required = ReadRequired();
    ASSERT_GT(required.size(), 0u) << "required_controls.txt not found beside the skin";
    std::map<std::string, std::multimap<std::string, ui::Control*>> names;
    std::vector<std::string> problems;
    for (const Required& r : required) {
        if (r.window == "menu") continue;  // not a window of the builder; checked below
        SkinWindow* window = SkinEnvironment::Window(r.window);
        ASSERT_NE(window, nullptr) << r.window;
        if (!names.count(r.window)) names[r.window] = ControlsByName(*window);
        const auto [first, last] = names[r.window].equal_range(Lower(r.name));
        const auto count = std::distance(first, last);
        if (count == 0) {
            problems.push_back(r.window + ": " + r.name + " missing");
            continue;
        }
        if (r.unique && count > 1) {
            problems.push_back(r.window + ": " + r.name + " appears " + std::to_string(count) +
                               " times");
        }
        const auto kind = KindTable().find(r.kind);
        if (kind == KindTable().end()) {
            problems.push_back("unknown kind " + r.kind + " for " + r.name);
            continue;
        }
        for (auto it = first; it != last; ++it) {
            if (!kind->second.empty() && !kind->second.count(it->second->Kind())) {
                problems.push_back(r.window + ": " + r.name + " is a " +
                                   std::string(ui::KindName(it->second->Kind())) + ", expected " +
                                   r.kind);
            }
        }
    }
    std::string all;
    for (const auto& p : problems) all += p + "\n";
    EXPECT_TRUE(problems.empty()) << all;
}

TEST(SkinContract, LookupIgnoresCaseOfTheSkinsSpelling) {
    SkinWindow* main = SkinEnvironment::Window("main");
    ASSERT_NE(main, nullptr);
    // The program writes some names with other capitals than the skin.
    for (const char* name : {"KB_DKEY_37", "kb_deng_color_pallet", "MS_TAB_SWITCH", "pallet"}) {
        EXPECT_NE(main->Find(name), nullptr) << name;
    }
}

TEST(SkinContract, MenuHoldsItsItems) {
    std::string error;
    auto menu = ParseXmlFile(SkinDir() / "menu.xml", &error);
    ASSERT_TRUE(menu) << error;
    SkinWindow* main = SkinEnvironment::Window("main");
    ASSERT_NE(main, nullptr);
    std::set<std::string> items;
    for (const XmlNode& child : menu->children) {
        if (const std::string* name = child.Find("name")) items.insert(Lower(*name));
        const std::string* text = child.Find("text");
        if (text && text->size() > 1 && (*text)[0] == '@') {
            for (const char* language : {"en", "cn"}) {
                EXPECT_TRUE(main->HasText(language, text->substr(1))) << language << ": " << *text;
            }
        }
    }
    for (const Required& r : ReadRequired()) {
        if (r.window == "menu") {
            EXPECT_TRUE(items.count(Lower(r.name))) << r.name;
        }
    }
    // The program appends its own "exit" item.
    EXPECT_FALSE(items.count("exit"));
}

// Page counts and option groups the program's handlers depend on.
TEST(SkinContract, TabPagesAndParameterPagesHaveTheirCounts) {
    SkinWindow* main = SkinEnvironment::Window("main");
    SkinWindow* skin = SkinEnvironment::Window("skin");
    ASSERT_TRUE(main && skin);
    const std::pair<const char*, int> tabs[] = {
        {"tab_switch", 5}, {"kb_tab_switch", 4}, {"ms_tab_switch", 5}, {"kb_tab_macro_edit", 3},
        {"ms_tab_macro_edit", 3}, {"ms_deng_mode_switch", 3}};
    for (const auto& [name, pages] : tabs) {
        auto* tab = dynamic_cast<ui::TabLayout*>(main->Find(name));
        ASSERT_NE(tab, nullptr) << name;
        EXPECT_EQ(tab->PageCount(), pages) << name;
    }
    auto* skinTab = dynamic_cast<ui::TabLayout*>(skin->Find("skin_tab"));
    ASSERT_NE(skinTab, nullptr);
    EXPECT_EQ(skinTab->PageCount(), 2);
    // Parameter pages are found by position: page i of the switch is "<dev>_tab_function_<i>",
    // and the repeat-count page must not be one of them.
    for (const auto& [dev, kinds] : {std::pair<std::string, int>{"kb", 10}, {"ms", 11}}) {
        ui::Control* pages = main->Find(dev + "_tab_function_switch_1");
        ASSERT_NE(pages, nullptr) << dev;
        ASSERT_EQ(pages->ChildCount(), kinds) << dev;
        for (int i = 0; i < kinds; ++i) {
            EXPECT_EQ(Lower(pages->ChildAt(i)->Name()), dev + "_tab_function_" + std::to_string(i));
        }
        auto* combo = dynamic_cast<ui::ItemList*>(main->Find(dev + "_key_fct_combo"));
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->Count(), kinds) << dev;
    }
}

TEST(SkinContract, OptionGroupsMatchTheirUse) {
    SkinWindow* main = SkinEnvironment::Window("main");
    ASSERT_NE(main, nullptr);
    auto group = [&](const std::string& name) {
        auto* option = dynamic_cast<ui::Option*>(main->Find(name));
        return option ? std::optional<std::string>(Lower(option->Group())) : std::nullopt;
    };
    auto members = [](const char* prefix, int count) {
        std::vector<std::string> out;
        for (int i = 0; i < count; ++i) out.push_back(prefix + std::to_string(i));
        return out;
    };
    const std::vector<std::vector<std::string>> groups = {
        {"kb_tab", "ms_tab", "mp_tab", "ani_tab", "split_tab"},
        {"kb_deng_Op_tab", "kb_macro_Op_tab", "kb_key_Op_tab", "kb_rich_Op_tab"},
        {"ms_deng_Op_tab", "ms_macro_Op_tab", "ms_key_Op_tab", "ms_rich_Op_tab", "ms_cursor_Op_tab"},
        members("ms_gun_op_", 4),
        members("ms_bullet_op_", 30),
    };
    std::set<std::string> seen;
    for (const auto& names : groups) {
        const auto first = group(names.front());
        ASSERT_TRUE(first && !first->empty()) << names.front();
        EXPECT_FALSE(seen.count(*first)) << "group shared with another set: " << names.front();
        seen.insert(*first);
        for (const auto& n : names) {
            EXPECT_EQ(group(n), first) << n;
        }
        EXPECT_EQ(main->Context().GroupMembers(*first).size(), names.size()) << names.front();
    }
    // Options the program toggles on their own (or unchecks itself) must not be in a group.
    for (const char* name :
         {"kb_Deng_FXL_check", "kb_Deng_FXR_check", "ms_Deng_FXL_check", "ms_Deng_FXR_check",
          "mp_Deng_FXL_check", "mp_Deng_FXR_check", "kb_Deng_7color_check", "ms_Deng_7color_check",
          "mp_Deng_7color_check", "kb_Deng_all_kill_check", "kb_Deng_all_bright_check",
          "kb_macro_btn_shubiao", "ms_macro_btn_shubiao", "kb_macro_check_time",
          "ms_macro_mouse_move", "ms_cursor_x_check", "ms_cursor_y_check",
          "kb_deng_profile_link_check", "ms_device_profile_link_check"}) {
        EXPECT_EQ(group(name), std::optional<std::string>("")) << name;
    }
}

TEST(SkinContract, StylesTheProgramAppliesExist) {
    SkinWindow* main = SkinEnvironment::Window("main");
    ASSERT_NE(main, nullptr);
    for (const char* style : {"macro_label_keyboard_style", "macro_label_mouse_style",
                              "macro_label_down_style", "macro_label_up_style",
                              "macro_label_text_style", "listex_item_style"}) {
        EXPECT_NE(main->Context().Style(style), nullptr) << style;
    }
}

TEST(SkinContract, EveryTextIdIsInBothLanguages) {
    std::set<std::string> ids;
    for (const auto& id : ReadLines(SkinDir() / "required_texts.txt")) ids.insert(id);
    ASSERT_GT(ids.size(), 100u) << "required_texts.txt not found beside the skin";
    for (const auto& [window, layout] : SkinEnvironment::kLayouts) {
        SkinWindow* w = SkinEnvironment::Window(window);
        ASSERT_NE(w, nullptr) << layout;
        for (const auto& id : w->TextIdsUsed()) ids.insert(id);
    }
    SkinWindow* main = SkinEnvironment::Window("main");
    std::vector<std::string> languages = main->Languages();
    std::sort(languages.begin(), languages.end());
    ASSERT_EQ(languages, (std::vector<std::string>{"cn", "en"}));
    std::string missing;
    for (const auto& id : ids) {
        for (const auto& language : languages) {
            if (!main->HasText(language, id)) missing += language + ": " + id + "\n";
        }
    }
    EXPECT_TRUE(missing.empty()) << missing;
}

TEST(SkinContract, EveryImageIsThere) {
    for (const auto& [window, layout] : SkinEnvironment::kLayouts) {
        SkinWindow* w = SkinEnvironment::Window(window);
        ASSERT_NE(w, nullptr) << layout;
        w->LoadAllImages();
        std::string missing;
        for (const auto& file : w->MissingImages()) missing += file + "\n";
        EXPECT_TRUE(missing.empty()) << layout << ":\n" << missing;
    }
    // The hover pictures the program switches to by name.
    for (const char* part : {"left", "wheel", "right", "forward", "back", "dpi", "dpi1"}) {
        for (const char* state : {"normal", "down"}) {
            const auto file = SkinDir() / "ms" / (std::string("key_") + part + "_" + state + ".png");
            EXPECT_TRUE(std::filesystem::exists(file)) << file;
        }
    }
    EXPECT_TRUE(std::filesystem::exists(SkinDir() / "common" / "background.png"));
}

}  // namespace
}  // namespace corvane::widgets
