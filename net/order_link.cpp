#include "net/order_link.h"

int gOrderLinkOpen = 0;
int gAutoOrderEnabled = 0;
WindowHandle gAutoOrderStatusDlg = nullptr;
