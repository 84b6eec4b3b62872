#pragma once
// Resource numbers shared by tellwave.rc and the code.
#define IDI_TELLWAVE 1
#define IDP_LOCAL_LOGO 101
#define IDP_NETWORK_LOGO 102
#define IDP_ADD_ARROW 103
#define IDP_REMOVE_ARROW 104
