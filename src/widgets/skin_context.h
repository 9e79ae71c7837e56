#pragma once

#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QRect>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "widgets/skin_attributes.h"
#include "ui/window.h"

namespace corvane::widgets {

struct FontSpec {
    std::string family;
    int pixelSize = 13;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// Everything the controls of one window share: the skin folder and its resource list, the
// language tables, fonts, named styles and class defaults, the image cache, the layout scale
// and the window's notification sink.
class SkinContext {
public:
    explicit SkinContext(std::filesystem::path skinDir);

    const std::filesystem::path& SkinDir() const { return skinDir_; }

    // res.xml: layout ids and language files. A missing res.xml is not an error (layouts are
    // then named by file); a malformed one is.
    bool LoadResourceList(std::string* error);
    // The file of a layout id ("XML_MAIN"), or the id itself when it names an .xml file.
    std::optional<std::string> LayoutFile(std::string_view id) const;

    // Language tables. Languages come from res.xml (or lan_en.xml / lan_cn.xml when it lists
    // none); all are read at once so switching needs no file access.
    void LoadLanguages();
    // Reads one language file under the given id (replacing what that id had).
    bool LoadLanguageFile(std::string_view id, const std::filesystem::path& file,
                          std::string* error);
    bool SetLanguage(std::string_view id);
    const std::string& Language() const { return language_; }
    std::vector<std::string> Languages() const;
    // The wording of an id in the current language; none when neither the table nor the
    // text query has it.
    std::optional<QString> LookupText(std::string_view id) const;
    bool HasText(std::string_view language, std::string_view id) const;
    void SetTextQuery(ui::TextQuery query) { textQuery_ = std::move(query); }

    void AddFont(int id, FontSpec font);
    void SetDefaultFont(int id) { defaultFont_ = id; }
    // The font of an id at the current scale (the window's default font for -1 or unknown ids).
    QFont Font(int id) const;

    void AddStyle(std::string_view name, AttributeList attributes);
    const AttributeList* Style(std::string_view name) const;
    void AddClassDefault(std::string_view className, AttributeList attributes);
    const AttributeList* ClassDefault(std::string_view className) const;

    // The image of a skin-relative file, or nullptr when it cannot be read (noted once). At a
    // device pixel ratio of 1.5 or more a "name@2x.png" beside the file is preferred.
    const QPixmap* Image(const std::string& file, qreal devicePixelRatio);
    // The part `source` of that image scaled smoothly to `size` device pixels, made once per
    // part and size: drawn 1:1, a repaint copies pixels instead of filtering the image again.
    const QPixmap* ScaledImage(const std::string& file, qreal devicePixelRatio, const QRect& source,
                               const QSize& size);
    const std::set<std::string>& MissingImages() const { return missingImages_; }

    // Layout scale: 1.0 at 96 dpi.
    void SetZoom(double zoom) { zoom_ = zoom; }
    double Zoom() const { return zoom_; }
    int Px(int length) const;
    // r with each side moved inwards by the scaled margin.
    QRect Inset(const QRect& r, const Quad& margin) const;

    void SetSink(ui::NotifySink* sink) { sink_ = sink; }
    void Notify(std::string_view type, ui::Control* sender, std::int64_t param = 0);

    // Option groups are window-wide.
    void JoinGroup(const std::string& group, ui::Option* option);
    void LeaveGroup(const std::string& group, ui::Option* option);
    std::vector<ui::Option*> GroupMembers(const std::string& group) const;

    // A diagnostic about the skin content (unknown attribute, bad value), written once each.
    void Warn(const std::string& text);

private:
    std::filesystem::path skinDir_;
    std::map<std::string, std::string> layouts_;                    // lower-case id -> file
    std::map<std::string, std::filesystem::path> languageFiles_;    // id -> file
    std::map<std::string, QHash<QString, QString>> languages_;      // id -> lower id -> text
    std::string language_;
    ui::TextQuery textQuery_;
    std::map<int, FontSpec> fonts_;
    int defaultFont_ = 0;
    std::map<std::string, AttributeList> styles_;    // lower-case name
    std::map<std::string, AttributeList> defaults_;  // lower-case class
    std::map<std::string, std::optional<QPixmap>> images_;  // file + ratio key
    std::map<std::string, QPixmap> scaledImages_;            // file + ratio + part + size key
    std::set<std::string> missingImages_;
    std::set<std::string> warnings_;
    double zoom_ = 1.0;
    ui::NotifySink* sink_ = nullptr;
    std::map<std::string, std::vector<ui::Option*>> groups_;  // lower-case group
};

inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToStdString(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace corvane::widgets
