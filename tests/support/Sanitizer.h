#ifndef TESTS_SUPPORT_SANITIZER_H
#define TESTS_SUPPORT_SANITIZER_H

// GOALBOX_ASAN is defined in the AddressSanitizer build, where searches run several times
// slower and the long tests run a reduced set.
#if defined(__SANITIZE_ADDRESS__)
#define GOALBOX_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GOALBOX_ASAN 1
#endif
#endif

#endif
