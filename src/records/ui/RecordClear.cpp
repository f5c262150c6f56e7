#include "records/ui/RecordClear.h"

#include <QString>

#include "records/TableEngine.h"
#include "widgets/NewMsgDlg.h"

namespace korvex {

bool ClearRecords(TTable& cds1, const std::function<void()>& afterClear)
{
    const int answer = MessageDialog(QStringLiteral("Are you sure that you want to delete this record?"), mtConfirmation,
                                     ButtonSet({mbYes, mbNo}), 0);
    if (answer != mrYes)
        return false;
    cds1.EmptyTable();
    if (afterClear)
        afterClear();
    return true;
}

}  // namespace korvex
