#include "shell/uMySuper.h"

#include <algorithm>

#include <QBoxLayout>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>
#include <QPointer>
#include <QScopeGuard>
#include <memory>

#include "widgets/Guarded.h"

namespace korvex {

namespace {

// The program-wide reference to the open view's container.
QPointer<TfrmSuperContainer> g_openContainer;

void RunModal(TfrmSuperContainer& container)
{
    container.exec();
}

TFullWindowShowStep::Step& ShowStep()
{
    static TFullWindowShowStep::Step step = RunModal;
    return step;
}

// Where a panel sits at home: its parent, and its place and stretch in the parent's box layout, so that it
// goes back into the same slot and the layout around it looks as before.
class TPanelHome {
public:
    TPanelHome(QWidget* panel, QWidget* homeParent) : m_panel(panel), m_home(homeParent)
    {
        m_layout = qobject_cast<QBoxLayout*>(homeParent->layout());
        if (m_layout) {
            m_index = m_layout->indexOf(panel);
            if (m_index >= 0)
                m_stretch = m_layout->stretch(m_index);
        }
    }

    void MoveInto(QWidget* place)
    {
        m_away = true;
        place->layout()->addWidget(m_panel);
        m_panel->show();
    }

    // Puts the panel back; a second call does nothing.
    void Return() noexcept
    {
        if (!m_away || !m_panel || !m_home)
            return;
        m_away = false;
        if (m_layout && m_index >= 0)
            m_layout->insertWidget(std::min(m_index, m_layout->count()), m_panel, m_stretch);
        else
            m_panel->setParent(m_home);
        m_panel->show();
    }

private:
    QPointer<QWidget> m_panel;
    QPointer<QWidget> m_home;
    QPointer<QBoxLayout> m_layout;
    int m_index = -1;
    int m_stretch = 0;
    bool m_away = false;
};

}  // namespace

TfrmSuperContainer::TfrmSuperContainer()
    : QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                           Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmSuperContainer"));
    setWindowTitle(QString());
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);
    setSizeGripEnabled(false);
    // The working area is also the size it keeps when it leaves the maximised state.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);

    auto* fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    m_Panel1 = new QFrame(this);
    m_Panel1->setObjectName(QStringLiteral("Panel1"));
    m_Panel1->setFrameStyle(QFrame::NoFrame);
    auto* inner = new QVBoxLayout(m_Panel1);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(0);
    fill->addWidget(m_Panel1);
}

void TfrmSuperContainer::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    RunGuarded([&] { QDialog::keyPressEvent(event); });
}

void ShowFullWindow(QWidget* panel, QWidget* homeParent)
{
    if (g_openContainer)
        return;
    auto container = std::make_unique<TfrmSuperContainer>();
    g_openContainer = container.get();
    TPanelHome home(panel, homeParent);
    // The panel, the container and the reference come back to normal whatever happens while it is shown.
    const auto end = qScopeGuard([&] {
        home.Return();
        container.reset();
        g_openContainer = nullptr;
    });
    // Home as soon as the view closes, so that whatever its closing leads to already sees the usual layout.
    QObject::connect(container.get(), &QDialog::finished, container.get(), Guarded([&home] { home.Return(); }));
    home.MoveInto(container->Panel1());
    ShowStep()(*container);
}

TfrmSuperContainer* frmSuperContainer()
{
    return g_openContainer.data();
}

void CloseFullWindow()
{
    if (g_openContainer)
        g_openContainer->close();
}

TFullWindowShowStep::TFullWindowShowStep(Step step) : m_previous(std::move(ShowStep()))
{
    ShowStep() = std::move(step);
}

TFullWindowShowStep::~TFullWindowShowStep()
{
    ShowStep() = std::move(m_previous);
}

}  // namespace korvex
