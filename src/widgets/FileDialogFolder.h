#pragma once

#include <QString>

class QFileDialog;

namespace korvex {

// The folder where the user last saved or opened a file through any of the program's file dialogs,
// remembered across runs; the user's documents folder (or home folder) until then.
QString LastFileFolder();
// Remembers the folder of the file the user chose.
void RememberFileFolder(const QString& chosenFile);

// Runs the file dialog in the last folder and remembers the folder of the file chosen. The chosen file,
// or an empty name when the dialog was cancelled.
QString AskFileInLastFolder(QFileDialog& dialog);

}  // namespace korvex
