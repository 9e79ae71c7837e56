// Every text of the real skin fits its control: each page of each window, at 100 %, 150 % and
// 200 % and in both languages, measured with the font the control paints with against the
// rectangle it paints into. A text that does not fit is cut off or runs over its neighbours.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "widgets/skin_controls.h"
#include "widgets/skin_window.h"
#include "skin_dir.h"

namespace corvane::widgets {
namespace {

using ui::ControlKind;

using testing::SkinDir;

bool ShowsText(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
        case ControlKind::Text:
        case ControlKind::Button:
        case ControlKind::Option:
        case ControlKind::CheckBox:
        case ControlKind::Combo: return true;
        default: return false;
    }
}

// The tab pages a control lies on, outermost first: selecting them makes it show.
using PagePath = std::vector<std::pair<TabWidget*, int>>;

PagePath PathOf(const SkinWidget* widget) {
    PagePath path;
    for (const SkinWidget* w = widget; w->ParentSkin() != nullptr; w = w->ParentSkin()) {
        auto* tab = dynamic_cast<TabWidget*>(w->ParentSkin());
        if (tab == nullptr) continue;
        const auto& kids = tab->Kids();
        const int page = static_cast<int>(std::find(kids.begin(), kids.end(), w) - kids.begin());
        path.insert(path.begin(), {tab, page});
    }
    return path;
}

// Names the program gives profiles, the longest of their kind, as profile combos come to show.
constexpr const char* kProfileNames[] = {"Profile 12", "新配置文件12"};

void AddProfileNames(SkinWindow& window) {
    for (ui::Control* c : window.Controls()) {
        auto* combo = dynamic_cast<ui::ItemList*>(c);
        if (combo == nullptr || c->Kind() != ControlKind::Combo) continue;
        if (ui::ToLower(c->Name()).find("profile") == std::string::npos) continue;
        for (const char* name : kProfileNames) combo->AddLabelRow(name, name);
    }
}

// Controls the skin hides and the program shows (a device's tab once it is connected).
constexpr const char* kShownByProgram[] = {"kb_tab", "ms_tab", "mp_tab"};

// What does not fit, one line per text: where, the text, the size it needs and the room it has.
std::vector<std::string> Misfits(SkinWindow& window) {
    for (const char* name : kShownByProgram) {
        if (auto* c = window.Find(name)) c->SetVisible(true);
    }
    std::map<PagePath, std::vector<SkinWidget*>> byPage;
    for (ui::Control* c : window.Controls()) {
        auto* w = dynamic_cast<SkinWidget*>(c);
        if (w == nullptr || !ShowsText(w->Kind()) || w->ShownTexts().empty()) continue;
        byPage[PathOf(w)].push_back(w);
    }
    std::vector<std::string> misfits;
    for (const auto& [path, widgets] : byPage) {
        for (const auto& [tab, page] : path) tab->SelectPage(page);
        window.NeedUpdate();
        for (SkinWidget* w : widgets) {
            if (!w->isVisibleTo(&window) || w->width() <= 0) continue;
            const QRect area = w->TextArea();
            const QFontMetrics metrics(w->TextFont());
            for (const std::string& text : w->ShownTexts()) {
                const int flags = w->WrapsText() ? Qt::TextWordWrap : 0;
                const QRect need = metrics.boundingRect(QRect(0, 0, area.width(), 1 << 20), flags, ToQString(text));
                if (need.width() <= area.width() && need.height() <= area.height()) continue;
                std::ostringstream line;
                line << (w->Name().empty() ? w->ClassName() : w->Name()) << " \"" << text << "\" needs " << need.width()
                     << "x" << need.height() << " in " << area.width() << "x" << area.height();
                misfits.push_back(line.str());
            }
        }
    }
    return misfits;
}

TEST(SkinFit, EveryTextFitsItsControlAtEachScaleInBothLanguages) {
    constexpr int kDpis[] = {96, 144, 192};
    for (const char* layout : {"XML_MAIN", "XML_MSG", "XML_SKIN"}) {
        std::string error;
        auto window = SkinWindow::Load(SkinDir(), layout, &error);
        ASSERT_TRUE(window) << error;
        AddProfileNames(*window);
        for (const char* language : {"en", "cn"}) {
            ASSERT_TRUE(window->SetLanguage(language));
            for (int dpi : kDpis) {
                window->SetDpi(dpi);
                for (const std::string& misfit : Misfits(*window)) {
                    ADD_FAILURE() << layout << " " << language << " " << dpi * 100 / 96 << " %: " << misfit;
                }
            }
        }
    }
}

}  // namespace
}  // namespace corvane::widgets
