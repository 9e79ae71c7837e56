#include "scripting/screenshot_command.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace corvane::scripting {

void RegisterScreenshotVerb(VerbTable& table, ui::Window& window) {
    table.Add("screenshot", VerbKind::Query, [&window](const CommandArgs& args) -> std::string {
        if (args.Count() < 1) return UsageError("screenshot");
        auto* widget = dynamic_cast<QWidget*>(&window);
        if (!widget) return "error: the window cannot be drawn";
        const QString path = QString::fromUtf8(args.RestAfter(0).data(), static_cast<qsizetype>(args.RestAfter(0).size()));
        if (!widget->grab().save(path, "PNG")) return "error: cannot write " + Quote(args.RestAfter(0));
        return std::string(kOk);
    });
}

}  // namespace corvane::scripting
