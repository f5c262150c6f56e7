#include "records/RecordFiles.h"

#include <QFile>
#include <QSaveFile>
#include <exception>
#include <string>
#include <vector>

#include "records/TabTextReader.h"
#include "records/TabTextWriter.h"
#include "meter/Windows1252.h"
#include "records/XmlPacketReader.h"
#include "records/XmlPacketWriter.h"

namespace korvex {
namespace {

// Keeps the grid from redrawing row by row while the table is walked or filled.
class ControlsSuspended {
public:
    explicit ControlsSuspended(TTable& table)
        : m_table(table)
    {
        m_table.DisableControls();
    }
    ~ControlsSuspended() { m_table.EnableControls(); }
    ControlsSuspended(const ControlsSuspended&) = delete;
    ControlsSuspended& operator=(const ControlsSuspended&) = delete;

private:
    TTable& m_table;
};

// Writes to a temporary file beside the target and puts it in the target's place only when complete.
// A folder that allows no new file can still hold a file the user may write: that file is then written
// in place, as replacing it would.
bool SaveWhole(const QString& fileName, const std::function<bool(QIODevice&)>& write, QString& error)
{
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString());
        return false;
    }
    if (!write(file)) {
        error = QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString());
        return false;  // the temporary file goes with `file`; the target is untouched
    }
    if (!file.commit()) {
        error = QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

QString SavedText(const QString& fileName)
{
    return QStringLiteral("Save table to specified file: ") + fileName + QStringLiteral(" Scuss!");
}

}  // namespace

QString RecordFileExtension(const QString& fileName)
{
    const QString name = fileName.section(QLatin1Char('/'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

bool DBToFiles(TTable& table, const QString& fileName, const QStringList& columnTitles,
               const SaveNotices& notices)
{
    const QString extension = RecordFileExtension(fileName);
    QString target = fileName;
    if (extension != QLatin1String(".xml") && extension != QLatin1String(".xls") &&
        extension != QLatin1String(".txt"))
        target += QStringLiteral(".xls");

    QString error;
    if (extension == QLatin1String(".xml")) {
        if (!SaveWhole(target, [&table](QIODevice& out) { return WriteXmlDataPacket(table, out); }, error)) {
            notices.reportError(error);
            return false;
        }
        notices.inform(SavedText(target));
        return true;
    }

    std::vector<std::string> header;
    header.reserve(static_cast<std::size_t>(columnTitles.size()));
    for (const QString& title : columnTitles)
        header.push_back(ToWindows1252(title));
    bool saved = false;
    {
        ControlsSuspended suspended(table);
        saved = SaveWhole(target, [&](QIODevice& out) { return WriteTabText(table, header, out); }, error);
    }
    notices.inform(saved ? SavedText(target) : QStringLiteral("Could not save table to specified file: ") + target);
    return saved;
}

bool AnyToCds(const QString& fileName, TTable& table, bool emptyFirst)
{
    try {
        if (emptyFirst)
            table.EmptyTable();
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        ControlsSuspended suspended(table);
        if (RecordFileExtension(fileName) == QLatin1String(".xml"))
            return ReadXmlDataPacket(file, table);
        return ReadTabText(file, table);
    } catch (const std::exception&) {
        // Out of memory, or a value the engine refused: the read stops like any other failed read.
        if (table.Editing())
            table.Cancel();
        return false;
    }
}

}  // namespace korvex
