#include "widgets/skin_context.h"

#include <QFile>
#include <QXmlStreamReader>

#include <cmath>

#include "platform/debug_out.h"
#include "platform/files.h"

namespace corvane::widgets {
namespace {

QString Attr(const QXmlStreamAttributes& attributes, const char* name) {
    for (const auto& a : attributes) {
        if (a.name().compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return a.value().toString();
    }
    return {};
}

std::string FileError(const std::filesystem::path& file, const QXmlStreamReader& xml) {
    return file.string() + ":" + std::to_string(xml.lineNumber()) + ": " + ToStdString(xml.errorString());
}

}  // namespace

SkinContext::SkinContext(std::filesystem::path skinDir) : skinDir_(std::move(skinDir)) {
    fonts_[0] = FontSpec{};
}

bool SkinContext::LoadResourceList(std::string* error) {
    const auto path = skinDir_ / "res.xml";
    QFile file(ToQString(path.string()));
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = path.string() + ": cannot be read";
        return false;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QString tag = xml.name().toString();
        const QString id = Attr(xml.attributes(), "id");
        const QString fileName = Attr(xml.attributes(), "file");
        if (tag.compare("Layout", Qt::CaseInsensitive) == 0 && !id.isEmpty()) {
            layouts_[ui::ToLower(ToStdString(id))] = ToStdString(fileName);
        } else if (tag.compare("Language", Qt::CaseInsensitive) == 0 && !id.isEmpty()) {
            languageFiles_[ToStdString(id)] = skinDir_ / ToStdString(fileName);
        }
    }
    if (xml.hasError()) {
        if (error) *error = FileError(path, xml);
        return false;
    }
    return true;
}

std::optional<std::string> SkinContext::LayoutFile(std::string_view id) const {
    auto it = layouts_.find(ui::ToLower(id));
    if (it != layouts_.end()) return it->second;
    const std::string lower = ui::ToLower(id);
    if (lower.size() > 4 && lower.substr(lower.size() - 4) == ".xml") return std::string(id);
    return std::nullopt;
}

void SkinContext::LoadLanguages() {
    if (languageFiles_.empty()) {
        languageFiles_["en"] = skinDir_ / "lan_en.xml";
        languageFiles_["cn"] = skinDir_ / "lan_cn.xml";
    }
    for (const auto& [id, path] : languageFiles_) {
        if (!std::filesystem::exists(path)) continue;
        std::string error;
        if (!LoadLanguageFile(id, path, &error)) platform::debugOut(error);
    }
    if (language_.empty() || !languages_.count(language_)) {
        language_ = languages_.count("en") ? "en" : (languages_.empty() ? "" : languages_.begin()->first);
    }
}

bool SkinContext::LoadLanguageFile(std::string_view id, const std::filesystem::path& path,
                                   std::string* error) {
    QFile file(ToQString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = path.string() + ": cannot be read";
        return false;
    }
    QHash<QString, QString> table;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name().compare(QLatin1String("Text"), Qt::CaseInsensitive) != 0) continue;
        const QString textId = Attr(xml.attributes(), "id").toLower();
        const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        if (!textId.isEmpty()) table.insert(textId, text);
    }
    if (xml.hasError()) {
        if (error) *error = FileError(path, xml);
        return false;
    }
    languages_[std::string(id)] = std::move(table);
    return true;
}

bool SkinContext::SetLanguage(std::string_view id) {
    for (const auto& [known, table] : languages_) {
        if (ui::EqualsIgnoreCase(known, id)) {
            language_ = known;
            return true;
        }
    }
    return false;
}

std::vector<std::string> SkinContext::Languages() const {
    std::vector<std::string> ids;
    for (const auto& [id, table] : languages_) ids.push_back(id);
    return ids;
}

std::optional<QString> SkinContext::LookupText(std::string_view id) const {
    auto lang = languages_.find(language_);
    if (lang != languages_.end()) {
        auto it = lang->second.constFind(ToQString(id).toLower());
        if (it != lang->second.constEnd()) return *it;
    }
    if (textQuery_) {
        if (auto text = textQuery_(language_, id)) return ToQString(*text);
    }
    return std::nullopt;
}

bool SkinContext::HasText(std::string_view language, std::string_view id) const {
    auto lang = languages_.find(std::string(language));
    return lang != languages_.end() && lang->second.contains(ToQString(id).toLower());
}

void SkinContext::AddFont(int id, FontSpec font) { fonts_[id] = std::move(font); }

QFont SkinContext::Font(int id) const {
    auto it = fonts_.find(id);
    if (it == fonts_.end()) it = fonts_.find(defaultFont_);
    if (it == fonts_.end()) it = fonts_.begin();
    const FontSpec& fontSpec = it->second;
    std::string family = fontSpec.family;
    if (family.empty()) {
        auto base = fonts_.find(defaultFont_);
        if (base != fonts_.end()) family = base->second.family;
    }
    QFont font;
    // Families in order of preference; fontconfig fills in CJK glyphs from its fallbacks.
    QStringList families;
    if (!family.empty()) families << ToQString(family);
    families << "Noto Sans" << "DejaVu Sans" << "Noto Sans CJK SC" << "WenQuanYi Micro Hei";
    font.setFamilies(families);
    // Rounded down: at fractional scales text grows no faster than the boxes it sits in.
    font.setPixelSize(std::max(1, static_cast<int>(fontSpec.pixelSize * zoom_)));
    font.setBold(fontSpec.bold);
    font.setItalic(fontSpec.italic);
    font.setUnderline(fontSpec.underline);
    return font;
}

void SkinContext::AddStyle(std::string_view name, AttributeList attributes) {
    styles_[ui::ToLower(name)] = std::move(attributes);
}

const AttributeList* SkinContext::Style(std::string_view name) const {
    auto it = styles_.find(ui::ToLower(name));
    return it == styles_.end() ? nullptr : &it->second;
}

void SkinContext::AddClassDefault(std::string_view className, AttributeList attributes) {
    defaults_[ui::ToLower(className)] = std::move(attributes);
}

const AttributeList* SkinContext::ClassDefault(std::string_view className) const {
    auto it = defaults_.find(ui::ToLower(className));
    return it == defaults_.end() ? nullptr : &it->second;
}

namespace {

// Larger than any picture a window shows; a user's own background may be a big photo.
constexpr std::size_t kMaxImageBytes = 64u << 20;

// Images are read as bytes first: a FIFO, device or folder named as an image (a background the
// user picked, for example) is refused at once instead of blocking the UI thread in open(), and a
// huge file is not read at all.
std::optional<QPixmap> LoadImageFile(const std::string& path) {
    const platform::WholeFile file = platform::ReadWholeFile(path, kMaxImageBytes);
    switch (file.outcome) {
        case platform::ReadOutcome::Ok: break;
        case platform::ReadOutcome::Missing: return std::nullopt;
        case platform::ReadOutcome::NotRegular:
            platform::debugOut("skin image is not a regular file, ignored: " + path);
            return std::nullopt;
        case platform::ReadOutcome::TooLarge:
            platform::debugOut("skin image larger than " + std::to_string(kMaxImageBytes >> 20) +
                               " MiB, ignored: " + path);
            return std::nullopt;
        case platform::ReadOutcome::Failed:
            platform::debugOut("skin image could not be read (errno " + std::to_string(file.error) + "): " + path);
            return std::nullopt;
    }
    QPixmap pixmap;
    if (!pixmap.loadFromData(file.bytes.data(), static_cast<uint>(file.bytes.size()))) {
        platform::debugOut("skin image could not be decoded: " + path);
        return std::nullopt;
    }
    return pixmap;
}

}  // namespace

const QPixmap* SkinContext::Image(const std::string& file, qreal devicePixelRatio) {
    if (file.empty()) return nullptr;
    const bool wantHigh = devicePixelRatio >= 1.5;
    const std::string key = file + (wantHigh ? "@2" : "@1");
    auto it = images_.find(key);
    if (it == images_.end()) {
        std::optional<QPixmap> loaded;
        const auto path = skinDir_ / file;
        if (wantHigh) {
            auto high = path;
            high.replace_filename(path.stem().string() + "@2x" + path.extension().string());
            if (std::filesystem::exists(high)) {
                loaded = LoadImageFile(high.string());
                if (loaded) loaded->setDevicePixelRatio(2.0);
            }
        }
        if (!loaded) loaded = LoadImageFile(path.string());
        if (!loaded && missingImages_.insert(file).second) {
            platform::debugOut("skin image missing: " + file);
        }
        it = images_.emplace(key, std::move(loaded)).first;
    }
    return it->second ? &*it->second : nullptr;
}

const QPixmap* SkinContext::ScaledImage(const std::string& file, qreal devicePixelRatio, const QRect& source,
                                        const QSize& size) {
    // A window zoomed or moved between screens leaves sizes nobody draws any more.
    constexpr std::size_t kMaxScaledImages = 512;
    const QPixmap* image = Image(file, devicePixelRatio);
    if (!image || size.isEmpty()) return nullptr;
    const std::string key = file + ":" + std::to_string(source.x()) +
                            "," + std::to_string(source.y()) + "," + std::to_string(source.width()) + "," +
                            std::to_string(source.height()) + ":" + std::to_string(size.width()) + "x" +
                            std::to_string(size.height()) + "@" + std::to_string(devicePixelRatio);
    auto it = scaledImages_.find(key);
    if (it == scaledImages_.end()) {
        if (scaledImages_.size() >= kMaxScaledImages) scaledImages_.clear();
        QPixmap scaled = image->copy(source).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(devicePixelRatio);
        it = scaledImages_.emplace(key, std::move(scaled)).first;
    }
    return &it->second;
}

int SkinContext::Px(int length) const {
    return static_cast<int>(std::lround(length * zoom_));
}

QRect SkinContext::Inset(const QRect& r, const Quad& margin) const {
    return r.adjusted(Px(margin.left), Px(margin.top), -Px(margin.right), -Px(margin.bottom));
}

void SkinContext::Notify(std::string_view type, ui::Control* sender, std::int64_t param) {
    if (!sink_) return;
    sink_->Notify(ui::Notification{std::string(type), sender, param});
}

void SkinContext::JoinGroup(const std::string& group, ui::Option* option) {
    groups_[ui::ToLower(group)].push_back(option);
}

void SkinContext::LeaveGroup(const std::string& group, ui::Option* option) {
    auto it = groups_.find(ui::ToLower(group));
    if (it == groups_.end()) return;
    std::erase(it->second, option);
}

std::vector<ui::Option*> SkinContext::GroupMembers(const std::string& group) const {
    auto it = groups_.find(ui::ToLower(group));
    return it == groups_.end() ? std::vector<ui::Option*>{} : it->second;
}

void SkinContext::Warn(const std::string& text) {
    if (warnings_.insert(text).second) platform::debugOut(text);
}

}  // namespace corvane::widgets
