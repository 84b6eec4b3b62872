#pragma once
// Process-wide values fixed at build time or at startup.
#include "common/build_settings.h"
#include "common/text.h"

namespace tw {

inline constexpr char16_t kAppVersion[] = u"1.0d - March 16, 2020";
inline constexpr int kMessageLimit = 120;
inline constexpr int kPagingPort = 444;
inline constexpr char16_t kEditPassword[] = u"Rk7pW2";

// "Local" or "Network".
inline constexpr char16_t kDataMode[] = TW_DATA_MODE;
inline constexpr bool kNetworkMode = TW_NETWORK_MODE;
inline constexpr char16_t kSharedDataFolder[] = TW_SHARED_DATA_FOLDER;
inline constexpr char kPagingServerHost[] = TW_PAGING_SERVER_HOST;
inline constexpr char kPagingServerLogin[] = TW_PAGING_SERVER_LOGIN;

inline constexpr char16_t kContactAddress[] = TW_CONTACT_ADDRESS;
inline constexpr char16_t kHomepageAddress[] = TW_HOMEPAGE_ADDRESS;
inline constexpr char16_t kAuthorName[] = TW_AUTHOR_NAME;
inline constexpr char16_t kOriginalAuthor[] = TW_ORIGINAL_AUTHOR;
inline constexpr char16_t kOriginalCompany[] = TW_ORIGINAL_COMPANY;

}  // namespace tw
