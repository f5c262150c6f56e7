#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <initializer_list>

namespace korvex {

// Kind of a message dialog: fixes its title and icon.
enum TMsgDlgType : std::uint8_t {
    mtWarning = 0,       // "Warning", exclamation icon
    mtError = 1,         // "Error", stop icon
    mtInformation = 2,   // "Information", information icon
    mtConfirmation = 3,  // "Confirm", question icon
    mtCustom = 4,        // the application's title, no icon
};

// Button positions; a button set has bit n set for button n.
enum TMsgDlgBtn : std::uint8_t {
    mbYes = 0,
    mbNo = 1,
    mbOK = 2,
    mbCancel = 3,
    mbAbort = 4,
    mbRetry = 5,
    mbIgnore = 6,
    mbAll = 7,
    mbNoToAll = 8,
    mbYesToAll = 9,
    mbHelp = 10,
};
using TMsgDlgButtons = std::uint16_t;

constexpr TMsgDlgButtons ButtonSet(std::initializer_list<TMsgDlgBtn> buttons)
{
    TMsgDlgButtons set = 0;
    for (TMsgDlgBtn b : buttons)
        set = static_cast<TMsgDlgButtons>(set | (1u << b));
    return set;
}

// Modal results.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

class TMessageForm;

// Shows a modal message dialog centred on the screen and returns the result of the button that closed it
// (mrCancel for the title bar's close button).
int MessageDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
int MessageDialogAt(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext,
                    int x, int y, const QString& helpFile);
// Builds and lays out the dialog without showing it; the caller owns it.
TMessageForm* CreateMessageForm(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);

}  // namespace korvex
