// Switching a small window between English and Czech through object paths, the property
// adapter's kinds of objects, and the message lookup with its collection of unknown texts.

#include "lang/Language.h"
#include "lang/PropertyAdapter.h"
#include "platform/Platform.h"
#include "TestSupport.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QLocale>
#include <QtCharts/QLineSeries>
#include <gtest/gtest.h>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
QString u(const char* text) { return QString::fromUtf8(text); }

// frmTest as the windows are built: object name = form name, children = component names,
// nested as a designer would nest them.
class TestWindow : public QWidget {
public:
    TestWindow()
    {
        setObjectName("frmTest");
        setWindowTitle("Test window");
        auto* layout = new QVBoxLayout(this);
        auto* bar = new QMenuBar(this);
        layout->setMenuBar(bar);
        menu = new QMenu("&Action", this);
        menu->setObjectName("mnAction");
        bar->addMenu(menu);
        action = new QAction("Check &In", this);
        action->setObjectName("mnCheckIn");
        menu->addAction(action);

        auto* tabs = new QTabWidget(this);
        tabs->setObjectName("pcPages");
        layout->addWidget(tabs);
        page = new QWidget;
        page->setObjectName("pgMain");
        tabs->addTab(page, "Main");
        auto* pageLayout = new QVBoxLayout(page);

        group = new QGroupBox("Client", page);
        group->setObjectName("gbClient");
        pageLayout->addWidget(group);
        auto* groupLayout = new QVBoxLayout(group);
        label = new QLabel("&Name", group);
        label->setObjectName("lbName");
        groupLayout->addWidget(label);
        combo = new QComboBox(group);
        combo->setObjectName("cmbStatus");
        combo->addItems({"Preliminary", "Definitive"});
        combo->setItemData(1, QStringLiteral("R"));
        combo->setCurrentIndex(1);
        groupLayout->addWidget(combo);

        list = new QListWidget(page);
        list->setObjectName("lstBusiness");
        list->addItems({"No", "Yes"});
        pageLayout->addWidget(list);

        button = new QPushButton("Cancel", page);
        button->setObjectName("btCancel");
        button->setToolTip("Leave without saving");
        pageLayout->addWidget(button);

        radios = new QGroupBox("Payment", page);
        radios->setObjectName("rgPayment");
        auto* radioLayout = new QVBoxLayout(radios);
        for (const char* text : {"Cash", "Card"}) radioLayout->addWidget(new QRadioButton(text, radios));
        pageLayout->addWidget(radios);

        date = new QDateEdit(page);
        date->setObjectName("edDateFrom");
        date->setProperty("DialogTitle", "Date from");
        pageLayout->addWidget(date);

        memo = new QPlainTextEdit(page);
        memo->setObjectName("memNote");
        memo->setPlainText("First\nSecond");
        pageLayout->addWidget(memo);

        series = new QLineSeries(this);
        series->setObjectName("Series1");
        series->setName("Usage");
    }
    QMenu* menu;
    QAction* action;
    QWidget* page;
    QGroupBox* group;
    QLabel* label;
    QComboBox* combo;
    QListWidget* list;
    QPushButton* button;
    QGroupBox* radios;
    QDateEdit* date;
    QPlainTextEdit* memo;
    QLineSeries* series;
};

struct PathCase {
    const char* path;
    const char* english;  // as ReadObjectValue gives it in English
    const char* czech;    // the table's text (lists without their last line break)
};

// One row per kind of object the adapter knows.
const PathCase kPaths[] = {
    {"frmTest.Caption", "Test window", "Zkušební okno"},
    {"frmTest.mnAction.Caption", "&Action", "&Akce"},
    {"frmTest.mnCheckIn.Caption", "Check &In", "&Ubytovat"},
    {"frmTest.pgMain.Caption", "Main", "Hlavní"},
    {"frmTest.gbClient.Caption", "Client", "Klient"},
    {"frmTest.lbName.Caption", "&Name", "&Jméno"},
    {"frmTest.cmbStatus.Items", "Preliminary\r\nDefinitive\r\n", "Předběžná\r\nFinální"},
    {"frmTest.lstBusiness.Items", "No\r\nYes\r\n", "Ne\r\nAno\r\n"},
    {"frmTest.btCancel.Caption", "Cancel", "Zrušit"},
    {"frmTest.btCancel.Hint", "Leave without saving", "Odejít bez uložení"},
    {"frmTest.rgPayment.Items", "Cash\r\nCard\r\n", "Hotově\r\nKartou"},
    {"frmTest.edDateFrom.DialogTitle", "Date from", "Datum od"},
    {"frmTest.memNote.Lines", "First\r\nSecond\r\n", "První\r\nDruhá"},
    {"frmTest.Series1.Title", "Usage", "Využití"},
};

// The text ReadObjectValue gives once the table's text is applied.
QString applied(const PathCase& c)
{
    const QString czech = u(c.czech);
    if (!QString(c.path).endsWith("Items") && !QString(c.path).endsWith("Lines")) return czech;
    return czech.endsWith(kCrLf) ? czech : czech + kCrLf;
}

class TranslationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<TestWindow>();
        QList<std::pair<QString, QString>> objects;
        for (const PathCase& c : kPaths) objects.append({c.path, u(c.czech)});
        objects.append(std::pair<QString, QString>("frmTest.lbMissing.Caption", "Nikde"));
        objects.append(std::pair<QString, QString>("frmTest.lbName.Hint", ""));
        tables = makeTables(objects, {{"Backup", u("Zálohování")},
                                      {"Check in", ""},
                                      {"", ""},
                                      {"Date", "Datum"},
                                      {"Client", "Klient"},
                                      {"Close Account", u("Uzavřít účet")}});
        language.setTables(tables);
        language.setLanguageList({"English", u("Česky")});
    }

    void expectAll(bool czech)
    {
        for (const PathCase& c : kPaths)
            EXPECT_EQ(language.ReadObjectValue(c.path), czech ? applied(c) : u(c.english)) << c.path;
    }

    std::unique_ptr<TestWindow> window;
    std::shared_ptr<const LanguageTables> tables;
    TLanguage language;
};

TEST_F(TranslationTest, CzechEnglishCzechAppliesAndRestoresEveryKindOfProperty)
{
    expectAll(false);
    language.setLanguageIdent(2);
    language.TranslateAll();
    expectAll(true);
    language.setLanguageIdent(1);
    language.TranslateAll();
    expectAll(false);
    language.setLanguageIdent(2);
    language.TranslateAll();
    expectAll(true);
    // The widgets themselves, not only what the adapter reads back.
    EXPECT_EQ(window->menu->title(), "&Akce");
    EXPECT_EQ(window->action->text(), "&Ubytovat");
    EXPECT_EQ(window->series->name(), u("Využití"));
}

TEST_F(TranslationTest, LanguageZeroOnlyAnnouncesTheTranslation)
{
    QSignalSpy before(&language, &TLanguage::OnBeforeTranslation);
    QSignalSpy after(&language, &TLanguage::OnAfterTranslation);
    language.setLanguageIdent(0);
    language.TranslateAll();
    EXPECT_EQ(before.count(), 1);
    EXPECT_EQ(after.count(), 0);
    expectAll(false);
    EXPECT_EQ(language.TranslateMessage("Backup"), "Backup");

    language.setLanguageIdent(2);
    language.TranslateAll();
    EXPECT_EQ(before.count(), 2);
    EXPECT_EQ(after.count(), 1);
}

TEST_F(TranslationTest, ComboKeepsItsSelectedIndexAndItemData)
{
    QSignalSpy changed(window->combo, &QComboBox::currentIndexChanged);
    language.setLanguageIdent(2);
    language.TranslateAll();
    EXPECT_EQ(window->combo->currentIndex(), 1);
    EXPECT_EQ(window->combo->currentText(), u("Finální"));
    EXPECT_EQ(window->combo->itemData(1).toString(), "R");
    EXPECT_EQ(changed.count(), 0) << "a translation is no user choice";

    // Its Text row (the design text of a list) never moves the selection, nor clears one.
    language.TranslateObject("frmTest.cmbStatus.Text", u("Předběžná"));
    EXPECT_EQ(window->combo->currentIndex(), 1);
    EXPECT_EQ(changed.count(), 0);
    window->combo->setCurrentIndex(-1);
    language.TranslateObject("frmTest.cmbStatus.Text", u("Finální"));
    EXPECT_EQ(window->combo->currentIndex(), -1);
    window->combo->setCurrentIndex(1);

    // A list of another length is replaced whole; the index still holds.
    language.TranslateObject("frmTest.cmbStatus.Items", "A\r\nB\r\nC");
    EXPECT_EQ(window->combo->count(), 3);
    EXPECT_EQ(window->combo->currentIndex(), 1);
}

TEST_F(TranslationTest, ListTextsSplitAtLineBreaks)
{
    language.TranslateObject("frmTest.lstBusiness.Items", "Ne\r\nAno");
    ASSERT_EQ(window->list->count(), 2);
    EXPECT_EQ(window->list->item(1)->text(), "Ano");
    language.TranslateObject("frmTest.lstBusiness.Items", "Ne\r\nAno\r\n");
    EXPECT_EQ(window->list->count(), 2);

    const struct {
        const char* text;
        QStringList items;
    } cases[] = {
        {"Ne\r\nAno", {"Ne", "Ano"}},
        {"Ne\r\nAno\r\n", {"Ne", "Ano"}},
        {"  Ne \r\n Ano  ", {"Ne", "Ano"}},
        {"A\r\n\r\nB", {"A", "", "B"}},
        {"A\r\n  \r\n", {"A", ""}},
        {"", {}},
        {"\r\n", {""}},
        {"one\nline", {"one\nline"}},
    };
    for (const auto& c : cases) EXPECT_EQ(lang::splitListText(c.text), c.items) << c.text;
}

TEST_F(TranslationTest, ReturnsTheOldTextAndLetsTheHandlerChangeTheNewOne)
{
    EXPECT_EQ(language.TranslateObject("frmTest.lbName.Caption", "X"), "&Name");
    language.OnTranslate = [](TLanguage*, QObject* component, const QString& property, const QString& old,
                              QString& value) {
        EXPECT_EQ(component->objectName(), "lbName");
        EXPECT_EQ(property, "Caption");
        EXPECT_EQ(old, "X");
        value = "Y";
    };
    language.TranslateObject("frmTest.lbName.Caption", "Z");
    EXPECT_EQ(window->label->text(), "Y");
}

TEST_F(TranslationTest, PathsResolveWithoutRegardToCaseAndMissingOnesAreSkipped)
{
    MessageBoxRecorder boxes;
    EXPECT_EQ(language.ReadObjectValue("  FRMTEST . LBNAME .caption "), "&Name");
    EXPECT_EQ(language.ReadObjectValue("frmTest.lbMissing.Caption"), "");
    EXPECT_EQ(language.ReadObjectValue("frmNowhere.lbName.Caption"), "");
    EXPECT_EQ(language.ReadObjectValue("frmTest.lbName.Unknown"), "");
    EXPECT_EQ(language.TranslateObject("frmTest.lbMissing.Caption", "x"), "");
    EXPECT_EQ(language.TranslateObject("frmTest.lbName.Caption", ""), "");
    EXPECT_EQ(window->label->text(), "&Name");
    language.TranslateObject("frmTest.lbName.Unknown", "x");
    EXPECT_EQ(window->label->text(), "&Name");
    EXPECT_TRUE(boxes.boxes.isEmpty()) << "a path that cannot be found is no error for the user";

    language.TranslateObject("   ", "text");
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].text, "Property     does not exist. Translation not performed.");
    EXPECT_EQ(boxes.boxes[0].caption, "Translation error");
    EXPECT_EQ(boxes.boxes[0].icon, platform::Icon::Warning);
    language.TranslateObject("", "");
    EXPECT_EQ(boxes.boxes.size(), 1);
}

TEST_F(TranslationTest, MessagesFollowTheLanguage)
{
    const struct {
        int ident;
        const char* key;
        const char* expected;
    } cases[] = {
        {2, "Backup", "Zálohování"}, {1, "Backup", "Backup"},     {0, "Backup", "Backup"},
        {2, "Check in", "Check in"}, {1, "Check in", "Check in"}, {2, "", ""},
        {7, "Backup", "Backup"},     {-1, "Backup", "Backup"},    {2, "backup", "backup"},
    };
    for (const auto& c : cases) {
        language.setLanguageIdent(c.ident);
        EXPECT_EQ(language.TranslateMessage(u(c.key)), u(c.expected)) << c.ident << " " << c.key;
    }
}

TEST_F(TranslationTest, UnknownMessagesAreCollectedOnce)
{
    language.setLanguageIdent(2);
    EXPECT_EQ(language.TranslateMessage("Not in the table"), "Not in the table");
    EXPECT_EQ(language.TranslateMessage("Not in the table"), "Not in the table");
    EXPECT_EQ(language.collectedMessages(), 1);
    EXPECT_EQ(language.messageText(),
              u("    ({Default} 'Not in the table', {English} '', {Česky} ''),\r\n"));
    language.TranslateMessage("It's\r\nnew");
    language.TranslateMessage("It's\r\nnew");
    EXPECT_EQ(language.collectedMessages(), 2);
    EXPECT_TRUE(language.messageText().endsWith(u("({Default} 'It''s'#13#10'new', {English} '', {Česky} ''),\r\n")));
    language.TranslateMessage("Backup");
    EXPECT_EQ(language.collectedMessages(), 2);
}

TEST_F(TranslationTest, MessageHelpersGoThroughTheCurrentInstance)
{
    MessageBoxRecorder boxes;
    language.setLanguageIdent(2);
    EXPECT_EQ(currentLanguage(), &language);
    EXPECT_EQ(TranslateMessage("Backup"), u("Zálohování"));
    LangMessageBox(nullptr, "Backup", "Close Account", platform::Icon::Question, platform::Buttons::YesNo);
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].text, u("Zálohování"));
    EXPECT_EQ(boxes.boxes[0].caption, u("Uzavřít účet"));
    EXPECT_EQ(boxes.boxes[0].icon, platform::Icon::Question);
}

TEST(TranslationWithoutEngine, WarnsAndLeavesTheTextAsItIs)
{
    MessageBoxRecorder boxes;
    ASSERT_EQ(currentLanguage(), nullptr);
    EXPECT_EQ(TranslateMessage("Backup"), "Backup");
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].text, "Error: Language class not initialized");
    EXPECT_EQ(boxes.boxes[0].caption, "Error");
    EXPECT_EQ(boxes.boxes[0].icon, platform::Icon::Warning);
}

TEST_F(TranslationTest, GridTitlesAreLookedUpAsTheyStand)
{
    language.setLanguageIdent(2);
    QTableWidget table(0, 3);
    table.setHorizontalHeaderLabels({"Date", "Client", "Unknown title"});
    TranslateGridTitles(&table);
    TranslateGridTitles(&table);  // a second pass finds Czech titles, which are no keys
    EXPECT_EQ(table.horizontalHeaderItem(0)->text(), "Datum");
    EXPECT_EQ(table.horizontalHeaderItem(1)->text(), "Klient");
    EXPECT_EQ(table.horizontalHeaderItem(2)->text(), "Unknown title");

    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({"Date", "Backup"});
    QTableView view;
    view.setModel(&model);
    TranslateGridTitles(&view);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Datum");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), u("Zálohování"));
}

TEST_F(TranslationTest, SystemLanguagePicksTheLanguageNumber)
{
    const struct {
        int current;
        QLocale::Language system;
        int expected;
    } cases[] = {
        {1, QLocale::Czech, 2},   {1, QLocale::Slovak, 2},  {2, QLocale::English, 1}, {0, QLocale::German, 1},
        {-1, QLocale::French, 1}, {2, QLocale::German, 2},  {-1, QLocale::Czech, 2},
    };
    for (const auto& c : cases) {
        language.setLanguageIdent(c.current);
        EXPECT_EQ(language.languageForSystem(c.system), c.expected) << c.current << " " << c.system;
    }
    language.setLanguageIdent(-1);
    language.DetectLanguage();
    EXPECT_GE(language.LanguageIdent(), 1);
    EXPECT_LE(language.LanguageIdent(), 2);
}

TEST_F(TranslationTest, QtOwnTextsFollowTheLanguage)
{
    // Message box buttons and the standard dialogs are Qt's texts: Czech with the language.
    auto yesNoCancel = [] {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        return QStringList{box.button(QMessageBox::Yes)->text(), box.button(QMessageBox::No)->text(),
                           box.button(QMessageBox::Cancel)->text()};
    };
    const QStringList english = yesNoCancel();
    language.setLanguageIdent(2);
    const QStringList czech = yesNoCancel();
    EXPECT_EQ(czech, (QStringList{"&Ano", "&Ne", u("Zrušit")}));
    EXPECT_EQ(platform::interfaceLocale().language(), QLocale::Czech);
    language.setLanguageIdent(1);
    EXPECT_EQ(yesNoCancel(), english);
    EXPECT_EQ(english, (QStringList{"&Yes", "&No", "Cancel"}));
    EXPECT_NE(platform::interfaceLocale().language(), QLocale::Czech);
}

TEST(MessageBoxSeam, DefaultButtonIsNoOnlyWhenAskedFor)
{
    platform::seams() = platform::Seams{};
    for (const auto buttons : {platform::Buttons::YesNoCancel, platform::Buttons::YesNoCancelDefaultNo}) {
        QString defaultText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            if (box->defaultButton()) defaultText = box->defaultButton()->text();
            box->reject();
        });
        platform::messageBox(nullptr, "Question", "Tamarel", platform::Icon::Question, buttons);
        EXPECT_EQ(defaultText == "&No", buttons == platform::Buttons::YesNoCancelDefaultNo) << defaultText.toStdString();
    }
}

TEST(PropertyAdapter, ListsTheProperties_ofEachKindSortedByName)
{
    TestWindow window;
    auto names = [](QObject* o) {
        QStringList out;
        for (const auto& p : lang::exposedProperties(o)) out.append(p.name + (p.isList ? "*" : ""));
        return out;
    };
    EXPECT_EQ(names(&window), QStringList({"Caption", "Hint"}));
    EXPECT_EQ(names(window.combo), QStringList({"Hint", "Items*", "Text"}));
    EXPECT_EQ(names(window.radios), QStringList({"Caption", "Hint", "Items*"}));
    EXPECT_EQ(names(window.group), QStringList({"Caption", "Hint"}));
    EXPECT_EQ(names(window.action), QStringList({"Caption", "Hint"}));
    EXPECT_EQ(names(window.date), QStringList({"DialogTitle", "Hint"}));
    EXPECT_EQ(names(window.memo), QStringList({"Hint", "Lines*"}));
    EXPECT_EQ(names(window.series), QStringList({"Title"}));
    // Qt's own tool tip made from an action's text is no hint.
    EXPECT_EQ(lang::readProperty(window.action, "Hint"), "");
    window.action->setToolTip("Check the guest in");
    EXPECT_EQ(lang::readProperty(window.action, "hint"), "Check the guest in");
}

}  // namespace
