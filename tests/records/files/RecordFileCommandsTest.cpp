#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "records/ui/RecordFileCommands.h"
#include "widgets/FileDialogFolder.h"
#include "records/files/ModalAnswer.h"
#include "records/files/RecordFilesFixture.h"

namespace korvex {
namespace {

using test::AnswerModal;
using test::Named;

// Set before main so that the file dialogs keep their remembered folders and history apart from the user's
// own settings, which they would otherwise read and add to.
[[maybe_unused]] const bool settingsKeptApart = [] {
    QStandardPaths::setTestModeEnabled(true);
    return true;
}();

// What a modal box showed before the test closed it.
struct ShownBox {
    QString name;
    QString title;
    QString text;
    int icon = -1;
    bool owned = true;
};

void ClickButton(QWidget* modal, const QString& buttonName)
{
    auto* button = modal->findChild<QAbstractButton*>(buttonName);
    ASSERT_NE(button, nullptr) << buttonName.toStdString();
    button->click();
}

// Closes the next box with its OK button and records what it showed.
void AnswerBoxWithOk(QList<ShownBox>& shown)
{
    AnswerModal([](QWidget* w) { return w->findChild<QAbstractButton*>("OK") != nullptr; },
                [&shown](QWidget* w) {
                    ShownBox box{w->objectName(), w->windowTitle(), {}, -1, w->parentWidget() != nullptr};
                    if (auto* message = qobject_cast<QMessageBox*>(w)) {
                        box.text = message->text();
                        box.icon = message->icon();
                    } else if (auto* label = w->findChild<QLabel*>("Message")) {
                        box.text = label->text();
                    }
                    shown << box;
                    ClickButton(w, "OK");
                });
}

// Goes to the folder of `name`, types its file name into the dialog and confirms it.
// The name is typed into the edit rather than passed to selectFile(): selectFile() leaves the edit alone
// once the shown dialog's edit has keyboard focus, which depends on when the window got activated.
void ChooseFile(const QString& dialogName, const QString& name, QStringList* filters = nullptr,
                QString* defaultSuffix = nullptr)
{
    AnswerModal(Named(dialogName), [=](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        if (filters)
            *filters = dialog->nameFilters();
        if (defaultSuffix)
            *defaultSuffix = dialog->defaultSuffix();
        const QFileInfo file(name);
        // As a user would, show the files of the name's kind before picking it.
        if (!file.suffix().isEmpty())
            for (const QString& filter : dialog->nameFilters())
                if (filter.contains("*." + file.suffix() + ")"))
                    dialog->selectNameFilter(filter);
        dialog->setDirectory(file.absolutePath());
        auto* nameEdit = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(nameEdit, nullptr);
        nameEdit->setText(file.fileName());
        QMetaObject::invokeMethod(dialog, "accept");
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog did not take " << name.toStdString();
            dialog->reject();
        }
    });
}

void Cancel(const QString& dialogName)
{
    AnswerModal(Named(dialogName), [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
}

class RecordFileCommands : public ::testing::Test {
protected:
    RecordFileCommands()
    {
        model.setHorizontalHeaderLabels(test::GridTitles());
        grid.setObjectName("DBGrid1");
        grid.setModel(&model);
        test::AddThreeRows(cds1);
    }

    QWidget window;
    QStandardItemModel model;
    QTableView grid{&window};
    TTable cds1{test::NineFields()};
    QTemporaryDir dir;
    QList<ShownBox> shown;
};

TEST_F(RecordFileCommands, SaveDialogAddsTheDefaultExtensionThenSavesAndOpensBack)
{
    QStringList filters;
    QString suffix;
    ChooseFile("SaveDialog2", dir.filePath("run1"), &filters, &suffix);
    AnswerBoxWithOk(shown);
    btnRecordSaveClick(&window, cds1, grid);

    EXPECT_EQ(filters, (QStringList{"Excel File(*.xls)", "XML File(*.xml)", "Txt File(*.txt)", "CSV (*.csv)"}));
    EXPECT_EQ(suffix, "xls");
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, "Save table to specified file: " + dir.filePath("run1.xls") + " Scuss!");
    EXPECT_EQ(test::FileBytes(dir.filePath("run1.xls")), test::FileBytes(test::DataPath("three_rows.xls")));

    cds1.EmptyTable();
    ChooseFile("OpenDialog1", dir.filePath("run1.xls"), &filters);
    btnRecordOpenClick(&window, cds1);
    EXPECT_EQ(filters,
              (QStringList{"Excel data files (*.xls)", "XML data files (*.xml)", "notepad data files (*.txt)"}));
    EXPECT_EQ(test::Numbers(cds1), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(shown.size(), 1);  // a good file shows nothing
}

TEST_F(RecordFileCommands, SavingAsXmlOverAFileAsksFirst)
{
    const QString path = dir.filePath("run1.xml");
    test::WriteBytes(path, "old");
    ChooseFile("SaveDialog2", path);
    bool asked = false;
    AnswerModal([](QWidget* w) { return qobject_cast<QMessageBox*>(w) && w->objectName().isEmpty(); },
                [&asked](QWidget* w) {
                    asked = true;
                    static_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click();
                });
    AnswerBoxWithOk(shown);
    btnRecordSaveClick(&window, cds1, grid);

    EXPECT_TRUE(asked);
    EXPECT_EQ(test::FileBytes(path), test::FileBytes(test::DataPath("three_rows.xml")));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].text.endsWith(" Scuss!"));

    cds1.EmptyTable();
    ChooseFile("OpenDialog1", path);
    btnRecordOpenClick(&window, cds1);
    EXPECT_EQ(test::Numbers(cds1), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(cds1.Text(2, 1), "a<b>&'\"\\");
}

TEST_F(RecordFileCommands, FailedOpenShowsThePlainErrorBoxAndKeepsEarlierRows)
{
    ChooseFile("OpenDialog1", test::DataPath("open/trailing_empty_line.txt"));
    AnswerBoxWithOk(shown);
    btnRecordOpenClick(&window, cds1);

    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, "Error");
    EXPECT_EQ(shown[0].text, "Failed to Load File!");
    EXPECT_EQ(shown[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(shown[0].owned);
    EXPECT_EQ(test::Numbers(cds1), (std::vector<std::int32_t>{1, 2, 3, 1, 2}));
}

TEST_F(RecordFileCommands, CancelledDialogsChangeNothing)
{
    Cancel("SaveDialog2");
    btnRecordSaveClick(&window, cds1, grid);
    Cancel("OpenDialog1");
    btnRecordOpenClick(&window, cds1);
    EXPECT_EQ(cds1.RecordCount(), 3);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(RecordFileCommands, DialogsOpenWhereTheUserLastSavedOrOpened)
{
    QString shownIn;
    const auto noteFolderAndCancel = [&shownIn](QWidget* w) {
        shownIn = static_cast<QFileDialog*>(w)->directory().absolutePath();
        static_cast<QDialog*>(w)->reject();
    };
    // Nothing usable remembered: the documents folder, or the home folder where there is none.
    RememberFileFolder(dir.filePath("gone/run.xls"));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    AnswerModal(Named("SaveDialog2"), noteFolderAndCancel);
    btnRecordSaveClick(&window, cds1, grid);
    EXPECT_EQ(shownIn, QDir(documents).exists() ? QDir(documents).absolutePath() : QDir::homePath());

    ASSERT_TRUE(QDir(dir.path()).mkdir("runs"));
    ChooseFile("SaveDialog2", dir.filePath("runs/run1.xls"));
    AnswerBoxWithOk(shown);
    btnRecordSaveClick(&window, cds1, grid);
    AnswerModal(Named("OpenDialog1"), noteFolderAndCancel);
    btnRecordOpenClick(&window, cds1);
    EXPECT_EQ(shownIn, dir.filePath("runs"));
    EXPECT_EQ(LastFileFolder(), dir.filePath("runs"));
}

TEST_F(RecordFileCommands, HeaderFollowsTheGridColumnsLeftToRight)
{
    grid.horizontalHeader()->moveSection(0, 8);
    EXPECT_EQ(GridColumnTitles(grid),
              (QStringList{"Time", "MMode", "MValue", "MUnit", "SMode", "SValue", "SUnit", "Freq", "NO"}));
}

TEST_F(RecordFileCommands, CsvFilterWritesCsvAndOnlyItDoes)
{
    // The CSV filter, with a name typed without extension and with one ending in ".csv".
    ChooseFile("SaveDialog2", dir.filePath("run1.csv"));
    AnswerBoxWithOk(shown);
    btnRecordSaveClick(&window, cds1, grid, ".");
    AnswerModal(Named("SaveDialog2"), [this](QWidget* w) {
        auto* dialog = static_cast<QFileDialog*>(w);
        // Picked from the list as a user picks it.
        auto* filters = dialog->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(filters, nullptr);
        filters->setCurrentIndex(filters->findText("CSV (*.csv)"));
        emit filters->activated(filters->currentIndex());
        emit filters->textActivated(filters->currentText());
        dialog->setDirectory(dir.path());
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("run2");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    AnswerBoxWithOk(shown);
    btnRecordSaveClick(&window, cds1, grid, ".");
    // The first filter with a ".csv" name keeps the rule of the other saves: tab text with ".xls" appended.
    AnswerModal(Named("SaveDialog2"), [this](QWidget* w) {
        auto* dialog = static_cast<QFileDialog*>(w);
        dialog->setDirectory(dir.path());
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("run3.csv");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    AnswerBoxWithOk(shown);
    btnRecordSaveClick(&window, cds1, grid, ".");

    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0].text, "Save table to specified file: " + dir.filePath("run1.csv") + " Scuss!");
    EXPECT_EQ(shown[1].text, "Save table to specified file: " + dir.filePath("run2.csv") + " Scuss!");
    EXPECT_EQ(shown[2].text, "Save table to specified file: " + dir.filePath("run3.csv.xls") + " Scuss!");
    const QByteArray csv = test::FileBytes(dir.filePath("run1.csv"));
    EXPECT_TRUE(csv.startsWith("NO,Time,MMode,MValue,MUnit,SMode,SValue,SUnit,Freq,time_iso,main_value_si,main_unit_si\r\n"
                               "1,")) << csv.toStdString();
    EXPECT_TRUE(csv.contains(",Cp,1.234,nF,D,0.012,,1KHz,2011-05-24T15:59:13")) << csv.toStdString();
    EXPECT_EQ(test::FileBytes(dir.filePath("run2.csv")), csv);
    EXPECT_EQ(test::FileBytes(dir.filePath("run3.csv.xls")), test::FileBytes(test::DataPath("three_rows.xls")));
}

}  // namespace
}  // namespace korvex
