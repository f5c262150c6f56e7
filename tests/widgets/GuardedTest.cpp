#include "widgets/Guarded.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

// This suite runs on a plain QApplication, which catches nothing: an error that a guard let through would
// unwind through Qt's frames into the test and fail it.
namespace korvex {
namespace {

// Answers every error report while it lives, counting them and keeping the last text.
class ReportCounter {
public:
    ReportCounter()
    {
        poll_.setInterval(0);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->objectName() != QLatin1String("ErrorReport"))
                return;
            ++count;
            text = box->text();
            box->findChild<QAbstractButton*>(QStringLiteral("OK"))->click();
        });
        poll_.start();
    }
    int count = 0;
    QString text;

private:
    QTimer poll_;
};

void ServeEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A handler that throws on its first call only, so a second call shows that the program went on.
class Handler : public QObject {
public:
    void Run()
    {
        if (++calls == 1)
            throw std::runtime_error("Thrown by a handler");
    }
    void RunWithText(const QString& text)
    {
        seen = text;
        Run();
    }
    int calls = 0;
    QString seen;
};

TEST(Guarded, ErrorFromAConnectedHandlerIsReportedOnceAndTheNextCallRuns)
{
    struct Case {
        const char* name;
        std::function<void(Handler&, std::function<void()>& fire)> wire;
    };
    const Case cases[] = {
        {"button click, its checked argument dropped",
         [](Handler& handler, std::function<void()>& fire) {
             auto* button = new QPushButton(QStringLiteral("Go"));
             QObject::connect(button, &QAbstractButton::clicked, &handler, Guarded(&handler, &Handler::Run));
             QObject::connect(&handler, &QObject::destroyed, button, &QObject::deleteLater);
             fire = [button] { button->click(); };
         }},
        {"timer run by the event loop",
         [](Handler& handler, std::function<void()>& fire) {
             auto* timer = new QTimer(&handler);
             timer->setSingleShot(true);
             timer->setInterval(0);
             QObject::connect(timer, &QTimer::timeout, &handler, Guarded([&handler] { handler.Run(); }));
             fire = [timer] {
                 timer->start();
                 ServeEventsFor(20);
             };
         }},
        {"signal argument passed on",
         [](Handler& handler, std::function<void()>& fire) {
             auto* edit = new QLineEdit;
             QObject::connect(edit, &QLineEdit::textChanged, &handler, Guarded(&handler, &Handler::RunWithText));
             QObject::connect(&handler, &QObject::destroyed, edit, &QObject::deleteLater);
             fire = [edit] { edit->setText(edit->text() + QLatin1Char('x')); };
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportCounter reports;
        Handler handler;
        std::function<void()> fire;
        c.wire(handler, fire);

        fire();
        ServeEventsFor(20);
        EXPECT_EQ(reports.count, 1);
        EXPECT_EQ(reports.text, "Thrown by a handler");

        fire();
        ServeEventsFor(20);
        EXPECT_EQ(handler.calls, 2);
        EXPECT_EQ(reports.count, 1);
    }
}

TEST(Guarded, ForwardsTheSignalsArguments)
{
    Handler handler;
    QLineEdit edit;
    QObject::connect(&edit, &QLineEdit::textChanged, &handler, Guarded(&handler, &Handler::RunWithText));
    ReportCounter reports;
    edit.setText(QStringLiteral("12"));
    ServeEventsFor(20);
    EXPECT_EQ(handler.seen, "12");
}

TEST(Guarded, AnErrorThatIsNoStdExceptionReadsUnknownError)
{
    ReportCounter reports;
    EXPECT_FALSE(RunGuarded([] { throw 42; }));
    EXPECT_TRUE(RunGuarded([] {}));
    EXPECT_EQ(reports.count, 1);
    EXPECT_EQ(reports.text, "Unknown error");
}

}  // namespace
}  // namespace korvex
