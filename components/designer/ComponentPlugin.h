#pragma once

#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <functional>

namespace kelvo {

// One component on the design-time palette: the class, its header and how to make one.
class ComponentEntry : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)

  public:
    ComponentEntry(QString className, QString header, QString toolTip, QSize size,
                   std::function<QWidget*(QWidget*)> create, QObject* parent);

    QString name() const override { return className_; }
    QString group() const override;
    QString includeFile() const override { return header_; }
    QString toolTip() const override { return toolTip_; }
    QString whatsThis() const override { return toolTip_; }
    QIcon icon() const override;
    bool isContainer() const override { return false; }
    QWidget* createWidget(QWidget* parent) override { return create_(parent); }
    QString domXml() const override;

  private:
    QString className_, header_, toolTip_;
    QSize size_;
    std::function<QWidget*(QWidget*)> create_;
};

// The plugin Qt Designer loads: Kelvo's three display components in the group "ZEK".
class KelvoComponentsPlugin : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

  public:
    explicit KelvoComponentsPlugin(QObject* parent = nullptr);
    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return entries_; }

  private:
    QList<QDesignerCustomWidgetInterface*> entries_;
};

}  // namespace kelvo
