// Texts and placement of the launcher's dialogs: UTF-16 texts, most of
// them from the wide config records.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "core/configuration.h"

void centerWindow(HWND window);
void setDlgItemTextWide(HWND window, int control, const char16_t* text);
// The window's or the control's text is the wide config record.
void setWindowRecord(const ConfigTables& config, HWND window, int32_t record);
void setDlgItemRecord(const ConfigTables& config, HWND window, int control, int32_t record);
