#include "records/ui/StatisticsWindow.h"

#include <QAbstractItemModel>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "meter/Windows1252.h"
#include "records/RecordStatistics.h"
#include "records/SiFormat.h"
#include "records/StatisticsText.h"
#include "records/ui/DeviationHistogram.h"
#include "widgets/Guarded.h"
#include "widgets/UserSettings.h"

namespace korvex {
namespace {

const QString NominalKey = QStringLiteral("Statistics/Nominal");
const QString ToleranceKey = QStringLiteral("Statistics/Tolerance");
const QString GeometryKey = QStringLiteral("Statistics/Geometry");

// Readings arrive about twice a second; once a second keeps the figures current at a fraction of the cost.
constexpr int RefreshPeriodMs = 1000;

enum Column { colFunction, colReading, colCount, colOverRange, colMinimum, colMaximum, colMean, colStdDev, ColumnCount };

QString Utf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* Caption(const char* text, QWidget* parent)
{
    return new QLabel(QLatin1String(text), parent);
}

}  // namespace

TStatisticsWindow::TStatisticsWindow(const TTable& table, QAbstractItemModel& rows, const std::string& decimalSep,
                                     QWidget* parent)
    : QDialog(parent)
    , rows_(rows)
    , displaySep_(FromWindows1252(decimalSep).toStdString())
    , statistics_(std::make_unique<TRecordStatistics>(table, decimalSep))
{
    setObjectName(QStringLiteral("frmStatistics"));
    setWindowTitle(QStringLiteral("Statistics"));
    setModal(false);
    setSizeGripEnabled(true);
    auto* column = new QVBoxLayout(this);

    grdStatistics_ = new QTableWidget(0, ColumnCount, this);
    grdStatistics_->setObjectName(QStringLiteral("grdStatistics"));
    grdStatistics_->setHorizontalHeaderLabels({QStringLiteral("Function"), QStringLiteral("Reading"),
                                               QStringLiteral("Count"), QStringLiteral("Over range"),
                                               QStringLiteral("Minimum"), QStringLiteral("Maximum"),
                                               QStringLiteral("Mean"), QStringLiteral("Std. deviation")});
    grdStatistics_->verticalHeader()->hide();
    grdStatistics_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdStatistics_->verticalHeader()->setDefaultSectionSize(grdStatistics_->fontMetrics().height() + 6);
    grdStatistics_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdStatistics_->setSelectionMode(QAbstractItemView::NoSelection);
    grdStatistics_->setWordWrap(false);
    // Fixed widths: sizing columns to their contents would measure every cell at each refresh.
    const int figure = grdStatistics_->fontMetrics().horizontalAdvance(QStringLiteral("-000.0 m\u03A9")) + 12;
    const int narrow = grdStatistics_->fontMetrics().horizontalAdvance(QStringLiteral("Over range")) + 12;
    const int spread = grdStatistics_->fontMetrics().horizontalAdvance(QStringLiteral("Std. deviation")) + 12;
    for (int c = 0; c < ColumnCount; ++c)
        grdStatistics_->setColumnWidth(c, c < colMinimum ? narrow : c == colStdDev ? std::max(figure, spread) : figure);
    grdStatistics_->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(grdStatistics_, 1);

    auto* check = new QGroupBox(QStringLiteral("Tolerance check"), this);
    check->setObjectName(QStringLiteral("grpTolerance"));
    auto* checkGrid = new QGridLayout(check);
    edtNominal_ = new QLineEdit(check);
    edtNominal_->setObjectName(QStringLiteral("edtNominal"));
    edtNominal_->setPlaceholderText(QStringLiteral("e.g. 4.7u or 4.7 \u00B5F"));
    edtTolerance_ = new QLineEdit(check);
    edtTolerance_->setObjectName(QStringLiteral("edtTolerance"));
    edtTolerance_->setPlaceholderText(QStringLiteral("e.g. 5"));
    edtTolerance_->setMaximumWidth(80);
    auto* entry = new QHBoxLayout;
    entry->addWidget(Caption("Nominal", check));
    entry->addWidget(edtNominal_, 1);
    entry->addSpacing(12);
    entry->addWidget(Caption("Tolerance", check));
    entry->addWidget(edtTolerance_);
    entry->addWidget(Caption("%", check));
    checkGrid->addLayout(entry, 0, 0);
    lblHint_ = new QLabel(check);
    lblHint_->setObjectName(QStringLiteral("lblHint"));
    QPalette warning = lblHint_->palette();
    warning.setColor(QPalette::WindowText, QColor(192, 0, 0));
    lblHint_->setPalette(warning);
    lblHint_->setWordWrap(true);
    lblHint_->hide();
    checkGrid->addWidget(lblHint_, 1, 0);
    lblCheck_ = new QLabel(check);
    lblCheck_->setObjectName(QStringLiteral("lblCheck"));
    lblCheck_->setWordWrap(true);
    checkGrid->addWidget(lblCheck_, 2, 0);
    pnlHistogram_ = new TDeviationHistogram(check);
    pnlHistogram_->setObjectName(QStringLiteral("pnlHistogram"));
    checkGrid->addWidget(pnlHistogram_, 3, 0);
    column->addWidget(check);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnCopy_ = new QPushButton(QStringLiteral("Copy"), this);
    btnCopy_->setObjectName(QStringLiteral("btnCopy"));
    btnCopy_->setToolTip(QStringLiteral("Copy the statistics for a spreadsheet"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    // Enter in the entry boxes must not press a button.
    for (QPushButton* button : {btnCopy_, close}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    column->addLayout(buttons);

    timerRefresh_ = new QTimer(this);
    timerRefresh_->setObjectName(QStringLiteral("timerRefresh"));
    timerRefresh_->setInterval(RefreshPeriodMs);
    timerRefresh_->setSingleShot(true);

    const QSettings settings = UserSettings();
    edtNominal_->setText(settings.value(NominalKey).toString());
    edtTolerance_->setText(settings.value(ToleranceKey, QStringLiteral("5")).toString());
    if (!restoreGeometry(settings.value(GeometryKey).toByteArray()))
        PlaceBesideParent();

    connect(timerRefresh_, &QTimer::timeout, this, Guarded(this, &TStatisticsWindow::Refresh));
    connect(btnCopy_, &QPushButton::clicked, this, Guarded(this, &TStatisticsWindow::btnCopyClick));
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(edtNominal_, &QLineEdit::textChanged, this, Guarded(this, &TStatisticsWindow::ToleranceEdited));
    connect(edtTolerance_, &QLineEdit::textChanged, this, Guarded(this, &TStatisticsWindow::ToleranceEdited));
    connect(&rows_, &QAbstractItemModel::rowsInserted, this,
            Guarded([this](const QModelIndex&, int first, int last) { RowsInserted(first, last); }));
    connect(&rows_, &QAbstractItemModel::modelReset, this, Guarded(this, &TStatisticsWindow::RowsReset));

    // Reads the rows the grid shows, with the check asked for last time.
    ToleranceEdited();
}

TStatisticsWindow::~TStatisticsWindow()
{
    if (isVisible())
        RememberEntries();
}

void TStatisticsWindow::RowsInserted(int first, int last)
{
    // Rows only ever come at the end; anything else means the figures lost track, so they read the rows again.
    if (first != statistics_->RowsSeen()) {
        statistics_->Recompute(last + 1);
    } else {
        for (int row = first; row <= last; ++row)
            statistics_->Add(row);
    }
    FiguresChanged();
}

void TStatisticsWindow::RowsReset()
{
    statistics_->Recompute(rows_.rowCount());
    // Clear and Open are rare, and the user waits to see their outcome.
    if (isVisible())
        Refresh();
}

void TStatisticsWindow::FiguresChanged()
{
    if (isVisible() && !timerRefresh_->isActive())
        timerRefresh_->start();
}

void TStatisticsWindow::ToleranceEdited()
{
    const TNominalInput nominal = ParseNominal(edtNominal_->text().toStdString());
    const TToleranceInput tolerance = ParseTolerance(edtTolerance_->text().toStdString());
    std::string hint = nominal.hint;
    if (hint.empty() && nominal.nominal)
        hint = tolerance.hint;
    lblHint_->setText(Utf8(hint));
    lblHint_->setVisible(!hint.empty());
    // A mistake in either box checks nothing rather than something the user did not ask for.
    statistics_->SetTolerance(hint.empty() ? nominal.nominal : std::nullopt, tolerance.percent.value_or(0.0));
    statistics_->Recompute(rows_.rowCount());
    Refresh();
}

void TStatisticsWindow::Refresh()
{
    timerRefresh_->stop();
    ShowReadings();
    ShowCheck();
}

void TStatisticsWindow::SetCell(int row, int column, const QString& text)
{
    QTableWidgetItem* item = grdStatistics_->item(row, column);
    if (!item) {
        item = new QTableWidgetItem(text);
        const bool figure = column >= colCount;
        item->setTextAlignment(figure ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
        grdStatistics_->setItem(row, column, item);
    } else if (item->text() != text) {
        // Only cells whose text changed are drawn again.
        item->setText(text);
    }
}

void TStatisticsWindow::ShowReadings()
{
    int lines = 0;
    for (const TFunctionStatistics& function : statistics_->Functions())
        lines += 1 + static_cast<int>(function.secondary.size());
    if (grdStatistics_->rowCount() != lines)
        grdStatistics_->setRowCount(lines);

    int row = 0;
    const auto showReading = [&](const QString& function, const TReadingStatistics& reading) {
        const TRunningStats& values = reading.values;
        const auto figure = [&](double value) {
            return values.Count() > 0 ? Utf8(FormatSi(value, reading.unit, displaySep_)) : QString();
        };
        SetCell(row, colFunction, function);
        SetCell(row, colReading, Utf8(reading.name));
        SetCell(row, colCount, QString::number(values.Count()));
        SetCell(row, colOverRange, QString::number(reading.overRange));
        SetCell(row, colMinimum, figure(values.Min()));
        SetCell(row, colMaximum, figure(values.Max()));
        SetCell(row, colMean, figure(values.Mean()));
        const std::optional<double> spread = values.StdDev();
        SetCell(row, colStdDev, spread ? figure(*spread) : QString());
        ++row;
    };
    for (const TFunctionStatistics& function : statistics_->Functions()) {
        showReading(Utf8(function.main.name), function.main);
        for (const TReadingStatistics& secondary : function.secondary)
            showReading(QString(), secondary);
    }
}

void TStatisticsWindow::ShowCheck()
{
    const std::optional<TNominal>& nominal = statistics_->Nominal();
    const TFunctionStatistics* checked = statistics_->ToleranceFunction();
    pnlHistogram_->SetCheck(checked ? &*checked->tolerance : nullptr);
    if (!nominal) {
        lblCheck_->clear();
        return;
    }
    if (!checked) {
        lblCheck_->setText(nominal->unit.empty() ? QStringLiteral("No readings to check yet")
                                                 : QStringLiteral("No readings in %1 to check yet").arg(Utf8(nominal->unit)));
        return;
    }
    const TToleranceCheck& check = *checked->tolerance;
    QString text = QStringLiteral("%1 against %2 \u00B1 %3 %: %4 inside, %5 outside")
                       .arg(Utf8(checked->main.name), Utf8(FormatSi(check.Nominal(), checked->main.unit, displaySep_)),
                            Utf8(FormatPlain(check.TolerancePercent(), displaySep_)))
                       .arg(check.Inside())
                       .arg(check.Outside());
    if (const std::optional<double> worst = check.WorstDeviation()) {
        const QString sign = *worst > 0 ? QStringLiteral("+") : QString();
        text += QStringLiteral(", worst deviation %1%2").arg(sign, Utf8(FormatSi(*worst, "%", displaySep_)));
    }
    lblCheck_->setText(text);
}

void TStatisticsWindow::btnCopyClick()
{
    QGuiApplication::clipboard()->setText(Utf8(StatisticsText(*statistics_, displaySep_)));
}

void TStatisticsWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    RunGuarded([this] { Refresh(); });
}

void TStatisticsWindow::hideEvent(QHideEvent* event)
{
    RunGuarded([this] {
        timerRefresh_->stop();
        RememberEntries();
    });
    QDialog::hideEvent(event);
}

void TStatisticsWindow::RememberEntries() const
{
    QSettings settings = UserSettings();
    settings.setValue(NominalKey, edtNominal_->text());
    settings.setValue(ToleranceKey, edtTolerance_->text());
    settings.setValue(GeometryKey, saveGeometry());
}

void TStatisticsWindow::PlaceBesideParent()
{
    // Wide enough for every column beside the grid's scroll bar.
    int columns = 0;
    for (int c = 0; c < ColumnCount; ++c)
        columns += grdStatistics_->columnWidth(c);
    const int scrollBar = grdStatistics_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grdStatistics_);
    const QMargins margins = layout()->contentsMargins();
    resize(columns + scrollBar + 2 * grdStatistics_->frameWidth() + margins.left() + margins.right() + 4, 480);
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    const QRect beside = owner->frameGeometry();
    const QRect screen = owner->screen() ? owner->screen()->availableGeometry() : QRect();
    int x = beside.right() + 8;
    if (screen.isValid() && x + width() > screen.right())
        x = std::max(screen.left(), screen.right() - width());
    move(x, beside.top());
}

}  // namespace korvex
