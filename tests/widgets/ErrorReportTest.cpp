#include "shell/KorvexApplication.h"
#include "widgets/ErrorReport.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

using korvex::KorvexApplication;

namespace {

struct SeenReport {
    int count = 0;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers every error report that opens until stopped, remembering the last one.
class ReportAnswerer {
public:
    ReportAnswerer()
    {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            ++seen.count;
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            box->findChild<QAbstractButton*>(QStringLiteral("OK"))->click();
        });
        timer_.start();
    }
    SeenReport seen;

private:
    QTimer timer_;
};

class Thrower : public QObject {
protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("Thrown by a handler");
        return QObject::event(e);
    }
};

TEST(ErrorReport, ExceptionFromAnEventHandlerIsReportedAndTheLoopGoesOn)
{
    ReportAnswerer answerer;
    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QTimer::singleShot(0, &thrower, [] { throw std::logic_error("Thrown by a timer slot"); });

    bool ranAfterwards = false;
    QEventLoop loop;
    QTimer::singleShot(20, &loop, [&] {
        ranAfterwards = true;
        loop.quit();
    });
    loop.exec();

    EXPECT_TRUE(ranAfterwards);
    EXPECT_EQ(answerer.seen.count, 2);
    EXPECT_EQ(answerer.seen.title, QGuiApplication::applicationDisplayName());
    EXPECT_EQ(answerer.seen.icon, QMessageBox::Critical);
    const bool lastIsOneOfThem = answerer.seen.text == "Thrown by a handler" || answerer.seen.text == "Thrown by a timer slot";
    EXPECT_TRUE(lastIsOneOfThem) << answerer.seen.text.toStdString();
}

TEST(ErrorReport, SentEventThatThrowsReturnsUnhandled)
{
    ReportAnswerer answerer;
    Thrower thrower;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&thrower, &event));
    EXPECT_EQ(answerer.seen.count, 1);
    EXPECT_EQ(answerer.seen.text, "Thrown by a handler");
}

TEST(ErrorReport, ReportExceptionShowsTheText)
{
    ReportAnswerer answerer;
    korvex::ReportException(std::runtime_error("Cannot open clipboard"));
    EXPECT_EQ(answerer.seen.count, 1);
    EXPECT_EQ(answerer.seen.text, "Cannot open clipboard");
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    KorvexApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Korvex LCR"));
    return RUN_ALL_TESTS();
}
