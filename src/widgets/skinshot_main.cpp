// corvane-skinshot: renders a skin layout offscreen to a PNG, without any device logic.
//
//   corvane-skinshot [--skin DIR] [--layout ID] [--select NAME[=N]]... [--show NAME]...
//                    [--hide NAME]... [--lang ID] [--scale F] --out FILE.png
//
// --select on an option selects it (and the page its tab stands for); on a tab layout with =N
// it selects page N; on a page of a tab layout it selects that page; on a combo or list with =N
// it selects item N.

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QPixmap>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "widgets/skin_window.h"
#include "ui/window.h"

namespace {

using corvane::ui::EqualsIgnoreCase;

// The tab options of the main window and the pages they show.
struct TabRoute {
    std::string_view option;
    std::string_view tab;
    int page;
};
constexpr std::array<TabRoute, 14> kTabRoutes{{
    {"kb_tab", "tab_switch", 0},
    {"ms_tab", "tab_switch", 1},
    {"mp_tab", "tab_switch", 2},
    {"ani_tab", "tab_switch", 3},
    {"split_tab", "tab_switch", 4},
    {"kb_deng_Op_tab", "kb_tab_switch", 0},
    {"kb_macro_Op_tab", "kb_tab_switch", 1},
    {"kb_key_Op_tab", "kb_tab_switch", 2},
    {"kb_rich_Op_tab", "kb_tab_switch", 3},
    {"ms_deng_Op_tab", "ms_tab_switch", 0},
    {"ms_macro_Op_tab", "ms_tab_switch", 1},
    {"ms_key_Op_tab", "ms_tab_switch", 2},
    {"ms_rich_Op_tab", "ms_tab_switch", 3},
    {"ms_cursor_Op_tab", "ms_tab_switch", 4},
}};

struct Options {
    std::string skinDir;
    std::string layout = "XML_MAIN";
    std::vector<std::string> selects;
    std::vector<std::string> shows;
    std::vector<std::string> hides;
    std::string language;
    std::string scale;
    std::string out;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: corvane-skinshot [--skin DIR] [--layout ID] [--select NAME[=N]]... "
                 "[--show NAME]... [--hide NAME]... [--lang ID] [--scale F] --out FILE.png\n");
    return 2;
}

bool ParseArgs(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto next = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        auto nextList = [&](std::vector<std::string>& into) {
            std::string value;
            if (!next(value)) return false;
            into.push_back(value);
            return true;
        };
        bool ok = true;
        if (arg == "--skin") ok = next(options.skinDir);
        else if (arg == "--layout") ok = next(options.layout);
        else if (arg == "--select") ok = nextList(options.selects);
        else if (arg == "--show") ok = nextList(options.shows);
        else if (arg == "--hide") ok = nextList(options.hides);
        else if (arg == "--lang") ok = next(options.language);
        else if (arg == "--scale") ok = next(options.scale);
        else if (arg == "--out") ok = next(options.out);
        else ok = false;
        if (!ok) return false;
    }
    return !options.out.empty();
}

bool Select(corvane::widgets::SkinWindow& window, const std::string& selection) {
    using corvane::ui::ControlKind;
    std::string name = selection;
    int index = -1;
    if (auto eq = selection.find('='); eq != std::string::npos) {
        name = selection.substr(0, eq);
        index = std::atoi(selection.c_str() + eq + 1);
    }
    corvane::ui::Control* control = window.Find(name);
    if (!control) return false;
    if (auto* option = window.FindOption(name)) {
        option->SetSelected(true, false);
        for (const auto& route : kTabRoutes) {
            if (!EqualsIgnoreCase(route.option, name)) continue;
            if (auto* tab = window.FindTab(route.tab)) tab->SelectPage(route.page);
        }
        return true;
    }
    if (auto* tab = window.FindTab(name); tab && index >= 0) return tab->SelectPage(index);
    if (auto* list = dynamic_cast<corvane::ui::ItemList*>(control); list && index >= 0) {
        return list->SelectItem(index, false);
    }
    if (auto* parent = control->Parent(); parent && parent->Kind() == ControlKind::TabLayout) {
        auto* tab = dynamic_cast<corvane::ui::TabLayout*>(parent);
        for (int i = 0; i < parent->ChildCount(); ++i) {
            if (parent->ChildAt(i) == control) return tab->SelectPage(i);
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArgs(argc, argv, options)) return Usage();
    // Rendering needs no display; the scale goes through Qt's own high-DPI scaling.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!options.scale.empty()) setenv("QT_SCALE_FACTOR", options.scale.c_str(), 1);

    QApplication app(argc, argv);
    std::string skinDir = options.skinDir;
    if (skinDir.empty()) {
        const char* home = std::getenv("CORVANE_HOME");
        skinDir = home ? std::string(home) + "/skin"
                       : corvane::widgets::ToStdString(QCoreApplication::applicationDirPath()) + "/skin";
    }
    std::string error;
    auto window = corvane::widgets::SkinWindow::Load(skinDir, options.layout, &error);
    if (!window) {
        std::fprintf(stderr, "corvane-skinshot: %s\n", error.c_str());
        return 1;
    }
    if (!options.language.empty() && !window->SetLanguage(options.language)) {
        std::fprintf(stderr, "corvane-skinshot: the skin has no language '%s'\n", options.language.c_str());
        return 1;
    }
    for (const auto& name : options.shows) {
        if (auto* c = window->Find(name)) c->SetVisible(true);
        else std::fprintf(stderr, "corvane-skinshot: no control '%s'\n", name.c_str());
    }
    for (const auto& name : options.hides) {
        if (auto* c = window->Find(name)) c->SetVisible(false);
        else std::fprintf(stderr, "corvane-skinshot: no control '%s'\n", name.c_str());
    }
    for (const auto& selection : options.selects) {
        if (!Select(*window, selection)) std::fprintf(stderr, "corvane-skinshot: cannot select '%s'\n", selection.c_str());
    }
    window->show();
    window->NeedUpdate();
    QCoreApplication::processEvents();
    const QPixmap shot = window->grab();
    if (!shot.save(QString::fromStdString(options.out), "PNG")) {
        std::fprintf(stderr, "corvane-skinshot: cannot write %s\n", options.out.c_str());
        return 1;
    }
    for (const auto& missing : window->MissingImages()) {
        std::fprintf(stderr, "corvane-skinshot: image missing: %s\n", missing.c_str());
    }
    std::printf("%s %dx%d\n", options.out.c_str(), shot.width(), shot.height());
    return 0;
}
