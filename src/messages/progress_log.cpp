#include "messages/progress_log.h"

std::string g_logText;
