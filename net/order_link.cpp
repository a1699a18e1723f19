#include "net/order_link.h"

int gOrderLinkOpen = 0;
