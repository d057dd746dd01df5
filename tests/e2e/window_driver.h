#pragma once
// What the window driver's parts share: finding the program's window and
// printing text on one answer line.
#include <windows.h>

#include <string>

HWND FindForm();
std::string OneLine(const std::wstring& text);

// Reading the window as a screen reader does (driver_accessible.cpp).
int AccessibleTree();
int AccessibleInfoBar();
int AccessibleEvents(DWORD ms);
