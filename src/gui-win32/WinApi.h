#pragma once

// The Windows headers as the front end uses them. MessageBox is the core's port method here:
// the headers' macro of that name would rename it.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#undef MessageBox
