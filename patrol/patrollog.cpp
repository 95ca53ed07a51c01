#include "patrol/patrollog.h"

Q_LOGGING_CATEGORY(lcPatrol, "qv.patrol", QtWarningMsg)
