#pragma once
// The spreadsheet order link.

// 1 while the link's receive mailslot is open.
extern int gOrderLinkOpen;
