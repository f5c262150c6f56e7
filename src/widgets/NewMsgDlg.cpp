#include "widgets/NewMsgDlg.h"

#include "widgets/TMessageForm.h"

#include <memory>

namespace korvex {

int MessageDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext)
{
    return MessageDialogAt(text, type, buttons, helpContext, -1, -1, QString());
}

int MessageDialogAt(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext, int x, int y,
                    const QString& helpFile)
{
    // Owned here so the dialog is destroyed also when showing it throws.
    std::unique_ptr<TMessageForm> form(CreateMessageForm(text, type, buttons));
    form->SetHelpContext(helpContext);
    form->SetHelpFile(helpFile);
    if (x >= 0)
        form->move(x, form->y());
    if (y >= 0)
        form->move(form->x(), y);
    form->SetCentreOnShow(x < 0 && y < 0);
    return form->exec();
}

TMessageForm* CreateMessageForm(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    return new TMessageForm(text, type, buttons);
}

}  // namespace korvex
