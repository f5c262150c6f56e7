#include "records/ui/RecordFileCommands.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QMessageBox>
#include <stdexcept>

#include "records/CsvFile.h"
#include "records/RecordFiles.h"
#include "widgets/ErrorReport.h"
#include "widgets/FileDialogFolder.h"
#include "widgets/NewMsgDlg.h"
#include "widgets/TransientParent.h"

namespace korvex {
namespace {

// Qt's own dialog, so the default extension and the replace question behave alike on every platform.
std::unique_ptr<QFileDialog> CreateFileDialog(QWidget* owner, const QString& name, const QStringList& filters)
{
    auto dialog = std::make_unique<QFileDialog>(owner);
    dialog->setObjectName(name);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilters(filters);
    dialog->selectNameFilter(filters.first());
    return dialog;
}

void Inform(const QString& text)
{
    MessageDialog(text, mtInformation, ButtonSet({mbOK}), 0);
}

void ReportError(const QString& text)
{
    ReportException(std::runtime_error(text.toStdString()));
}

}  // namespace

std::unique_ptr<QFileDialog> CreateSaveDialog2(QWidget* owner)
{
    auto dialog = CreateFileDialog(owner, QStringLiteral("SaveDialog2"),
                                   {QStringLiteral("Excel File(*.xls)"), QStringLiteral("XML File(*.xml)"),
                                    QStringLiteral("Txt File(*.txt)"), CsvFilter});
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("xls"));
    // A name typed without an extension under the CSV filter becomes a ".csv" name, not an ".xls" one.
    QFileDialog* shown = dialog.get();
    QObject::connect(shown, &QFileDialog::filterSelected, shown, [shown](const QString& filter) {
        shown->setDefaultSuffix(filter == CsvFilter ? QStringLiteral("csv") : QStringLiteral("xls"));
    });
    return dialog;
}

std::unique_ptr<QFileDialog> CreateOpenDialog1(QWidget* owner)
{
    auto dialog = CreateFileDialog(owner, QStringLiteral("OpenDialog1"),
                                   {QStringLiteral("Excel data files (*.xls)"), QStringLiteral("XML data files (*.xml)"),
                                    QStringLiteral("notepad data files (*.txt)")});
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return dialog;
}

QStringList GridColumnTitles(const QTableView& grid)
{
    QStringList titles;
    const QAbstractItemModel* model = grid.model();
    if (!model)
        return titles;
    const QHeaderView* header = grid.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual)
        titles.append(model->headerData(header->logicalIndex(visual), Qt::Horizontal).toString());
    return titles;
}

void ShowLoadFailedBox()
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), QStringLiteral("Failed to Load File!"),
                    QMessageBox::Ok);
    box.setObjectName(QStringLiteral("LoadFailed"));
    box.button(QMessageBox::Ok)->setObjectName(QStringLiteral("OK"));
    SetTransientParentToActiveWindow(box);
    box.exec();
}

void btnRecordSaveClick(QWidget* owner, TTable& cds1, const QTableView& DBGrid1, const std::string& decimalSep)
{
    const auto dialog = CreateSaveDialog2(owner);
    const QString fileName = AskFileInLastFolder(*dialog);
    if (fileName.isEmpty())
        return;
    if (dialog->selectedNameFilter() == CsvFilter) {
        DBToCsv(cds1, fileName, decimalSep, SaveNotices{&Inform, &ReportError});
        return;
    }
    DBToFiles(cds1, fileName, GridColumnTitles(DBGrid1), SaveNotices{&Inform, &ReportError});
}

void btnRecordOpenClick(QWidget* owner, TTable& cds1)
{
    const auto dialog = CreateOpenDialog1(owner);
    const QString fileName = AskFileInLastFolder(*dialog);
    if (fileName.isEmpty())
        return;
    if (!AnyToCds(fileName, cds1, false))
        ShowLoadFailedBox();
}

}  // namespace korvex
