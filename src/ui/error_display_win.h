// Errors the user sees: a message box, or a line on the error stream for
// the quiet switches and launcher types without boxes. Every message names
// the log file, which is then kept.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "launch/launch_context.h"

// Message boxes from now on are owned by this window (null: none).
void setErrorOwner(HWND window);

void showError(const LaunchContext& context, const char* text);
void showErrorW(const LaunchContext& context, const char16_t* text);
// The text of 8-bit record id, its first "{0}" replaced by argument when given.
void showConfigError(const LaunchContext& context, int32_t id, const char* argument);
// A wide box with the configured caption (record 20013); MessageBoxW's answer.
int showWideBox(const ConfigTables& config, HWND owner, const char16_t* text, UINT type);
