#include "patrol/patrollog.h"

#include "patrol/patrolhost.h"

Q_LOGGING_CATEGORY(lcPatrol, "qv.patrol", QtWarningMsg)

void patrolLogWrite(StatusSink& status, const QString& strValue, bool blnStatusBar) {
    if (blnStatusBar) {
        status.SetStatus(strValue);
    } else {
        qCInfo(lcPatrol).noquote() << strValue;
    }
}
