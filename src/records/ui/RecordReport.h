#pragma once

#include <QString>
#include <functional>

#include "report/Report.h"
#include "report/ReportDataSource.h"
#include "report/ReportTemplate.h"

class QWidget;

namespace korvex {

class TTable;

// frxDBDataset1: the record table as the report reads it. The number prints as decimal digits, the
// texts as stored; a field without a value prints nothing. The table stays as it is.
class TRecordReportData : public IReportDataSource {
public:
    explicit TRecordReportData(const TTable& cds1) : cds1_(cds1) {}

    QString Name() const override { return QStringLiteral("frxDBDataset1"); }
    int RowCount() const override;
    int FindField(const QString& name) const override;
    QString Value(int row, int field) const override;

private:
    const TTable& cds1_;
};

// The record report's template: A4 portrait, the title "Data" with the date and time, a caption row on
// every page, one framed line per record and the page count in the footer.
TReportTemplate RecordReportTemplate();

// frxReport1, bound to the record table through frxDBDataset1.
class TRecordReport {
public:
    using Preview = std::function<void(TReport& report, QWidget* owner)>;

    // The table must outlive the report.
    explicit TRecordReport(const TTable& cds1);

    // Builds the pages anew from the rows of the table at this moment and shows them in the modal
    // preview; returns when it closes. Errors of building or showing are thrown.
    void ShowReport(QWidget* owner);

    // The modal preview unless replaced (tests and pictures put their own in its place).
    void SetPreview(Preview preview) { preview_ = std::move(preview); }

    const TRecordReportData& frxDBDataset1() const { return frxDBDataset1_; }

private:
    TRecordReportData frxDBDataset1_;
    Preview preview_;
};

}  // namespace korvex
