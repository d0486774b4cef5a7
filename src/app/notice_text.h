#pragma once
// The window's Chinese wording of the notices the core posts about its data
// files; the terminal shows their English text instead.
#include <QString>

#include "common/notices.h"

QString NoticeForWindow(const CNotice& notice);
