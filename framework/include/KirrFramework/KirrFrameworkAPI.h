/*
 * The exported functions of the KirrFramework library, callable from C and C++.
 *
 * Texts cross as NUL-terminated UTF-8; a null pointer is read as an empty text.
 * A returned text is owned by the library and stays valid until the next call
 * of the same function; the caller never frees it. The first call of any
 * function creates the framework: it creates a QApplication when the host has
 * none, takes the application and organisation names from the style file, sets
 * the default locale and installs the framework's translators. Call these
 * functions from the host's GUI thread only.
 */
#ifndef KIRRFRAMEWORK_API_H
#define KIRRFRAMEWORK_API_H

#if defined(__GNUC__)
#define KIRR_EXPORT __attribute__((visibility("default")))
#else
#define KIRR_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The program folder, with the platform's separators. */
KIRR_EXPORT const char* Kirr_getAppContentPath(void);
/* The user's configuration folder, with the platform's separators. */
KIRR_EXPORT const char* Kirr_getPrefsPath(void);
/* The style element of that name; empty when absent. */
KIRR_EXPORT const char* Kirr_findStyleElement(const char* name);
/* The element of that name in a file of the style form: a bare file name is
 * looked up in the program's Resources folder, a path (with "/" or "\") as
 * given. Empty when absent. */
KIRR_EXPORT const char* Kirr_findCustomElement(const char* file, const char* name);
/* A preference; shared non-zero picks the store shared by the maker's products.
 * Empty when never stored. */
KIRR_EXPORT const char* Kirr_getPrefsValue(const char* key, int shared);
/* Stores a preference; it is in the file when the call returns. */
KIRR_EXPORT void Kirr_setPrefsValue(const char* key, const char* value, int shared);

/* The splash screen, then the automatic update check. */
KIRR_EXPORT void Kirr_splashPanel(void);
/* The modal about box; version is the host's own version text. */
KIRR_EXPORT void Kirr_aboutPanel(const char* version);
/* Opens the manual with the desktop's viewer. */
KIRR_EXPORT void Kirr_showHelp(void);
/* The modal support dialog; version is the host's own version text. */
KIRR_EXPORT void Kirr_showSupport(const char* version);
/* The update check, with its dialog shown at once. */
KIRR_EXPORT void Kirr_searchUpdate(void);

#ifdef __cplusplus
}
#endif

#endif
