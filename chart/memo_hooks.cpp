#include "chart/memo_hooks.h"

MemoHooks gMemoHooks = {};
