// Sizing and placing forms when they are created: over the main window, at
// the picture window's place, or in place. See framework/form_placement.h.
#pragma once

class QWidget;

void ScaleCenterForm(QWidget& form);
void PlaceFormAtPictureWindow(QWidget& form);
void ScaleFormOnly(QWidget& form);
// The main window: client area of HorizontalPixels + 1 by VerticalPixels + 1
// at the screen's corner, filled with the background colour (0xRRGGBB).
void FullScreenGraphForm(QWidget& form, unsigned backgroundRgb);
