// Resource identifiers, shared by voltrim.rc and the code.
#pragma once

#define IDD_MAIN 104
#define IDD_ABOUT 106
