// The screen cursor: hourglass during long operations, arrow otherwise.
#pragma once

namespace platform {

void ShowBusyCursor();
void ShowArrowCursor();
bool BusyCursorShown();

}  // namespace platform
