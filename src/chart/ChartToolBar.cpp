#include "chart/ChartToolBar.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include <QAbstractButton>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <qcustomplot.h>

#include "chart/ChartBitmap.h"
#include "chart/uCharControl.h"
#include "widgets/FileDialogFolder.h"
#include "widgets/Guarded.h"

namespace korvex {

namespace {

const QString kDefaultRange = QStringLiteral("100");

QFileDialog* CreateSavePictureDialog(QWidget* parent)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(QStringLiteral("SavePictureDialog1"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("Bitmaps (*.bmp)"));
    dialog->setDefaultSuffix(QStringLiteral("bmp"));
    dialog->setSizeGripEnabled(true);
    return dialog;
}

// The range box's text as a page size: decimal 32-bit integers only.
int RangeValue(const QString& text, bool* converts)
{
    return text.toInt(converts, 10);
}

}  // namespace

TChartToolBar::TChartToolBar(const TChartToolBarControls& controls, TChartControl& chartControl,
                             std::function<void()> clearRecords, const QString& decimalSeparator,
                             TChartToolBarWiring wiring, QObject* parent)
    : QObject(parent),
      mControls(controls),
      mChartControl(chartControl),
      mClearRecords(std::move(clearRecords)),
      mDecimalChar(decimalSeparator.isEmpty() ? QChar() : decimalSeparator.front())
{
    const bool complete = mControls.edtRange && mControls.edtCurPage && mControls.btnFirst && mControls.btnPrevious &&
                          mControls.btnNext && mControls.btnLast && mControls.btnSave && mControls.Timer_range &&
                          mControls.Chart1;
    if (!complete)
        throw std::invalid_argument("The chart tool bar is missing a control.");

    mControls.edtRange->installEventFilter(this);
    if (wiring == TChartToolBarWiring::CallerForwards)
        return;
    connect(mControls.edtRange, &QLineEdit::textChanged, this, Guarded(this, &TChartToolBar::edtRangeChange));
    connect(mControls.Timer_range, &QTimer::timeout, this, Guarded(this, &TChartToolBar::Timer_rangeTimer));
    connect(mControls.btnFirst, &QAbstractButton::clicked, this, Guarded(this, &TChartToolBar::btnFirstClick));
    connect(mControls.btnPrevious, &QAbstractButton::clicked, this, Guarded(this, &TChartToolBar::btnPreviousClick));
    connect(mControls.btnNext, &QAbstractButton::clicked, this, Guarded(this, &TChartToolBar::btnNextClick));
    connect(mControls.btnLast, &QAbstractButton::clicked, this, Guarded(this, &TChartToolBar::btnLastClick));
    connect(mControls.btnSave, &QAbstractButton::clicked, this, Guarded(this, &TChartToolBar::btnSaveClick));
    if (mControls.btnNew)
        connect(mControls.btnNew, &QAbstractButton::clicked, this, Guarded(this, &TChartToolBar::btnNewClick));
}

TChartToolBar::~TChartToolBar()
{
    // The dialog hangs on Chart1 for its parent window, but belongs to this tool bar.
    delete mSavePictureDialog1;
}

void TChartToolBar::edtRangeChange()
{
    // Restarting pushes the apply back until the user has paused typing for a whole interval.
    mControls.Timer_range->stop();
    mControls.Timer_range->start();
}

void TChartToolBar::Timer_rangeTimer()
{
    QLineEdit* box = mControls.edtRange;
    bool converts = false;
    if (RangeValue(box->text(), &converts) == -1 || !converts)
        box->setText(kDefaultRange);
    if (RangeValue(box->text(), &converts) <= 0)
        box->setText(kDefaultRange);
    const int pageSize = RangeValue(box->text(), &converts);
    box->setText(QString::number(pageSize));
    mChartControl.SetPageSize(pageSize);
    // Last: the text changes above restarted the timer.
    mControls.Timer_range->stop();
}

void TChartToolBar::btnFirstClick()
{
    ShowPage(mChartControl.FirstPage());
}

void TChartToolBar::btnPreviousClick()
{
    ShowPage(mChartControl.PreviousPage());
}

void TChartToolBar::btnNextClick()
{
    ShowPage(mChartControl.NextPage());
}

void TChartToolBar::btnLastClick()
{
    ShowPage(mChartControl.LastPage());
}

void TChartToolBar::btnNewClick()
{
    if (mClearRecords)
        mClearRecords();
}

QFileDialog& TChartToolBar::SavePictureDialog1()
{
    if (!mSavePictureDialog1)
        mSavePictureDialog1 = CreateSavePictureDialog(mControls.Chart1);
    return *mSavePictureDialog1;
}

void TChartToolBar::btnSaveClick()
{
    const QString chosen = AskFileInLastFolder(SavePictureDialog1());
    if (chosen.isEmpty())
        return;
    SaveChartBitmap(mControls.Chart1, chosen);
}

bool TChartToolBar::eventFilter(QObject* watched, QEvent* event)
{
    bool filtered = false;
    if (!RunGuarded([&] { filtered = FilterRangeBox(watched, event); }))
        return true;
    return filtered || QObject::eventFilter(watched, event);
}

bool TChartToolBar::FilterRangeBox(QObject* watched, QEvent* event) const
{
    if (watched == mControls.edtRange) {
        if (event->type() == QEvent::KeyPress)
            return !edtRangeKeyPress(*static_cast<QKeyEvent*>(event));
        // Text composed by an input method arrives without key presses; it must pass the same filter.
        if (event->type() == QEvent::InputMethod) {
            const QString committed = static_cast<QInputMethodEvent*>(event)->commitString();
            return !std::all_of(committed.begin(), committed.end(), [this](QChar typed) { return MayType(typed); });
        }
    }
    return false;
}

// True when the key may reach the range box. Keys that type no character (arrows, Home, End,
// Delete, Shift+Insert) pass, and so do Tab and Backtab, which move the focus; Ctrl with a letter
// types a control character and is refused, which also keeps Ctrl+V from pasting.
bool TChartToolBar::edtRangeKeyPress(const QKeyEvent& key) const
{
    if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
        return true;
    const bool control = key.modifiers().testFlag(Qt::ControlModifier);
    if (key.key() == Qt::Key_Backspace)
        return !control;
    if (key.key() == Qt::Key_Delete)
        return true;
    if (control && key.key() >= Qt::Key_At && key.key() <= Qt::Key_Underscore)
        return false;
    const QString text = key.text();
    return std::all_of(text.begin(), text.end(), [this](QChar typed) { return MayType(typed); });
}

bool TChartToolBar::MayType(QChar typed) const
{
    return (typed >= u'0' && typed <= u'9') || (!mDecimalChar.isNull() && typed == mDecimalChar);
}

void TChartToolBar::ShowPage(int page)
{
    mControls.edtCurPage->setText(QString::number(page));
}

}  // namespace korvex
