// Form placement over the main window, and small system routines.
//
// The routines that move real forms (ScaleCenterForm and its kin) live in
// framework/forms/placement.h; the arithmetic is here, free of any GUI.
#pragma once

#include <string>

struct FormRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

extern int PicWindowLeft;  // position of the auxiliary picture window
extern int PicWindowTop;

void InitFormPlacement();

// Size scaled by InputWindowScale percent.
FormRect ScaledFormSize(FormRect form);
// Centred over the main window and 20 pixels lower; never left of or above
// the main window's corner.
FormRect CenterRect(FormRect form, FormRect main);
// Scaled, then centred.
FormRect ScaleCenterRect(FormRect form, FormRect main);
// Scaled, at the auxiliary picture window's position.
FormRect PictureWindowRect(FormRect form);

// Value of an environment variable, at most 255 characters; empty when unset.
std::string GetEnvVar(const std::string& name);
// Major and minor version of the operating system's kernel, as "6.1".
std::string WindowsVersionText();
