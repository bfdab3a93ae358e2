#include "components/designer/ComponentPlugin.h"

#include <QIcon>

#include "components/imageadv/ImageAdv.h"
#include "components/novellabel/NovelLbl.h"
#include "components/splpaint/SplPaint.h"

namespace kelvo {

ComponentEntry::ComponentEntry(QString className, QString header, QString toolTip, QSize size,
                               std::function<QWidget*(QWidget*)> create, QObject* parent)
    : QObject(parent),
      className_(std::move(className)),
      header_(std::move(header)),
      toolTip_(std::move(toolTip)),
      size_(size),
      create_(std::move(create)) {}

QString ComponentEntry::group() const {
    return QStringLiteral("ZEK");
}

QIcon ComponentEntry::icon() const {
    return QIcon(QStringLiteral(":/icons/kelvo-16.png"));
}

QString ComponentEntry::domXml() const {
    // The object name Designer proposes is the class name without its namespace and T prefix.
    QString objectName = className_.section(QStringLiteral("::"), -1).mid(1);
    objectName[0] = objectName[0].toLower();
    return QStringLiteral(
               "<ui language=\"c++\"><widget class=\"%1\" name=\"%2\">"
               "<property name=\"geometry\"><rect><x>0</x><y>0</y><width>%3</width>"
               "<height>%4</height></rect></property></widget></ui>")
        .arg(className_, objectName)
        .arg(size_.width())
        .arg(size_.height());
}

KelvoComponentsPlugin::KelvoComponentsPlugin(QObject* parent) : QObject(parent) {
    entries_ << new ComponentEntry(
        QStringLiteral("kelvo::TNovelLabel"), QStringLiteral("components/novellabel/NovelLbl.h"),
        QStringLiteral("Readout label: one caption, justified, wrapped, shadowed or transparent"),
        QSize(65, 17), [](QWidget* p) { return new TNovelLabel(p); }, this);
    entries_ << new ComponentEntry(
        QStringLiteral("kelvo::TImageAdv"), QStringLiteral("components/imageadv/ImageAdv.h"),
        QStringLiteral("Image control with palette effects, scene text and choice menus"),
        QSize(105, 105), [](QWidget* p) { return new TImageAdv(p); }, this);
    entries_ << new ComponentEntry(
        QStringLiteral("kelvo::TSplPaint"), QStringLiteral("components/splpaint/SplPaint.h"),
        QStringLiteral("Sprite painter: a background, 64 masked sprites and nineteen transitions"),
        QSize(105, 105), [](QWidget* p) { return new TSplPaint(p); }, this);
}

}  // namespace kelvo
