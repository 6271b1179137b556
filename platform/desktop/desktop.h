// Everything the desktop floor offers, for code that uses most of it (the application shell).
#pragma once

#include "platform/desktop/clock.h"
#include "platform/desktop/dialog.h"
#include "platform/desktop/icons.h"
#include "platform/desktop/menu.h"
#include "platform/desktop/message_box.h"
#include "platform/desktop/messages.h"
#include "platform/desktop/paint.h"
#include "platform/desktop/sound.h"
#include "platform/desktop/status_bar.h"
#include "platform/desktop/win_types.h"
#include "platform/desktop/window.h"
