#include <gtest/gtest.h>

#include <QApplication>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>

#include "components/novellabel/NovelLbl.h"
#include "ui_ComponentsForm.h"

namespace {

TEST(DesignerPlugin, LoadsAndOffersTheComponentsInGroupZek) {
    QPluginLoader loader(QStringLiteral(KELVO_DESIGNER_PLUGIN));
    ASSERT_TRUE(loader.load()) << loader.errorString().toStdString();
    auto* collection = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader.instance());
    ASSERT_NE(collection, nullptr);
    QStringList names;
    for (QDesignerCustomWidgetInterface* w : collection->customWidgets()) {
        names << w->name();
        EXPECT_EQ(w->group(), "ZEK");
        EXPECT_TRUE(w->domXml().contains(w->name()));
        // The widget Designer places is of the class it names.
        QWidget parent;
        QWidget* made = w->createWidget(&parent);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(QString(made->metaObject()->className()), w->name());
    }
    for (const char* expected : {"kelvo::TNovelLabel", "kelvo::TImageAdv", "kelvo::TSplPaint"})
        EXPECT_TRUE(names.contains(expected)) << expected;
}

TEST(DesignerPlugin, LabelPropertiesAreEditableByName) {
    kelvo::TNovelLabel label;
    for (const char* name :
         {"Caption", "DrawRefresh", "TextShadow", "Alignment", "AutoSize", "FocusControl",
          "ShowAccelChar", "Transparent", "Layout", "WordWrap", "Color", "ParentColor"}) {
        const QMetaObject* mo = label.metaObject();
        int index = mo->indexOfProperty(name);
        ASSERT_GE(index, 0) << name;
        EXPECT_TRUE(mo->property(index).isWritable()) << name;
        EXPECT_TRUE(mo->property(index).isDesignable()) << name;
    }
}

TEST(DesignerPlugin, AFormUsingTheComponentsBuildsAndRuns) {
    QWidget form;
    Ui::ComponentsForm ui;
    ui.setupUi(&form);
    EXPECT_EQ(ui.title->Caption(), QStringLiteral("メモリ"));
    EXPECT_EQ(ui.title->Alignment(), kelvo::TNovelLabel::taCenter);
    EXPECT_TRUE(ui.title->TextShadow());
    EXPECT_EQ(ui.scene->geometry(), QRect(10, 40, 160, 120));
    EXPECT_EQ(ui.sprites->geometry(), QRect(180, 40, 100, 80));
    form.show();
    QApplication::processEvents();
}

}  // namespace
