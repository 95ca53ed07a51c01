#pragma once

#include <QLoggingCategory>
#include <QString>

class StatusSink;

// What no window shows: the countdown, the items read, the fetch service's decisions
// (conditional requests, Retry-After) and errors a patrol survived. Info lines are off by
// default; enable them with QT_LOGGING_RULES="qv.patrol.info=true".
Q_DECLARE_LOGGING_CATEGORY(lcPatrol)

// The patrol's LogWrite: status-bar texts go to status, the others to the qv.patrol log.
void patrolLogWrite(StatusSink& status, const QString& strValue, bool blnStatusBar);
