#pragma once
// What the program runs for a connected gateway: the upload, then the
// function list.

#include "app/SelMCDlg.h"

NetworkServices ProgramNetworkServices();
