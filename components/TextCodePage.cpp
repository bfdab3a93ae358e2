#include "components/TextCodePage.h"

#include <QFontInfo>
#include <QStringDecoder>
#include <QWidget>

#include "platform/CodePage.h"
#include "raster/Font.h"

namespace kelvo {

QByteArray codePageConverter(int codePage) {
    if (codePage == TextCodePage::kUtf8)
        return "UTF-8";
    if (codePage <= 0)
        return {};
    // The converters know Windows code pages under one of these aliases.
    for (const char* prefix : {"windows-", "cp", "ibm-"}) {
        const QByteArray name = prefix + QByteArray::number(codePage);
        if (QStringDecoder(name.constData()).isValid())
            return name;
    }
    return {};
}

bool TextCodePage::setCodePage(int codePage) {
    if (codePage != kAutomatic && codePageConverter(codePage).isEmpty() &&
        !systemKnowsCodePage(codePage))
        return false;
    codePage_ = codePage;
    return true;
}

QString TextCodePage::decode(std::string_view bytes) const {
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom)
        return QString::fromUtf8(bytes.data() + kBom.size(), qsizetype(bytes.size() - kBom.size()));
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    if (codePage_ == kAutomatic) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(view);
        if (!utf8.hasError())
            return text;
    }
    const int codePage = codePage_ == kAutomatic ? kShiftJis : codePage_;
    QStringDecoder decoder(codePageConverter(codePage));
    if (decoder.isValid())
        return decoder.decode(view);
    // A toolkit built without ICU (as on Windows) knows only UTF-8: the system converts.
    if (std::optional<std::u16string> text = decodeWithSystem(codePage, bytes))
        return QString::fromStdU16String(*text);
    return QString::fromUtf8(view);  // UTF-8 with replacement characters
}

std::string TextCodePage::toUtf8(std::string_view bytes) const {
    return decode(bytes).toStdString();
}

raster::Font rasterFont(const QWidget& widget) {
    widget.ensurePolished();  // a style sheet's font and colour arrive when it is polished
    const QFont& f = widget.font();
    const QFontInfo info(f);
    raster::Font out;
    out.name = info.family().toStdString();
    out.pixelHeight = info.pixelSize();
    out.bold = info.bold();
    out.italic = info.italic();
    out.underline = f.underline();
    out.strikeOut = f.strikeOut();
    const QColor c = widget.palette().color(QPalette::WindowText);
    out.color = raster::rgb(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
    return out;
}

}  // namespace kelvo
