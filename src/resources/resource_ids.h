#pragma once
// Resource identifiers shared by the resource script and the code that loads them.
#define IDR_MANIFEST 1
#define IDI_CORVALINTH 101
#define IDB_PREVIEW 201
