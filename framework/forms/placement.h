// Sizing and placing forms when they are created: over the main window, at
// the picture window's place, or in place. See framework/form_placement.h.
#pragma once

class QWidget;

// A form without an owner gets the dialog it is opened from, else the main
// window, as its owner, so that the window manager keeps it above them when a
// picture drawn behind it raises the main window. Called by the input forms
// and dialogs that draw pictures while they are open.
void OwnByOpeningWindow(QWidget& form);

void ScaleCenterForm(QWidget& form);
void PlaceFormAtPictureWindow(QWidget& form);
void ScaleFormOnly(QWidget& form);
// The main window: client area of HorizontalPixels + 1 by VerticalPixels + 1
// at the screen's corner, filled with the background colour (0xRRGGBB); the
// application's hints are switched on, each staying 100000 ms.
void FullScreenGraphForm(QWidget& form, unsigned backgroundRgb);
// Fills the form with the colour (0xRRGGBB); size and place stay.
void SetFormColour(QWidget& form, unsigned rgb);

// How long the main window's hints stay, in milliseconds.
constexpr int kMainWindowHintHidePause = 100000;
