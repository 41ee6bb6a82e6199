/* A host program in plain C without Qt: runs the library's text exports named
 * on its command line and prints each result as "label=[text]".
 *
 *   paths                     both folders, the second export called before the first is printed
 *   style NAME                Kirr_findStyleElement
 *   custom FILE NAME          Kirr_findCustomElement
 *   get KEY SHARED            Kirr_getPrefsValue
 *   set KEY VALUE SHARED      Kirr_setPrefsValue
 *   nulls                     every text export with null arguments
 *   stress                    long texts and invalid UTF-8 through every text export
 *   windows                   every export that opens a window (they return at once without a display)
 */
#include <KirrFramework/KirrFrameworkAPI.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void show(const char* label, const char* text)
{
    printf("%s=[%s]\n", label, text ? text : "(null)");
}

/* True when text is well-formed UTF-8. */
static int isUtf8(const char* text)
{
    const unsigned char* p = (const unsigned char*)text;
    while (*p) {
        int follow = 0;
        if (*p < 0x80)
            follow = 0;
        else if ((*p & 0xe0) == 0xc0 && *p >= 0xc2)
            follow = 1;
        else if ((*p & 0xf0) == 0xe0)
            follow = 2;
        else if ((*p & 0xf8) == 0xf0 && *p <= 0xf4)
            follow = 3;
        else
            return 0;
        ++p;
        for (; follow > 0; --follow, ++p) {
            if ((*p & 0xc0) != 0x80)
                return 0;
        }
    }
    return 1;
}

static void stress(void)
{
    const size_t length = 1u << 20;
    char* big = malloc(length + 1);
    if (!big) {
        puts("stress=[no memory]");
        return;
    }
    memset(big, 'a', length);
    big[length] = '\0';
    static const char invalid[] = "bad\xff\xfe\xc3(\xe2\x82 end";

    const char* found = Kirr_findStyleElement(big);
    printf("stress.style.long=[%zu]\n", strlen(found));
    found = Kirr_findStyleElement(invalid);
    printf("stress.style.invalid=[%zu]\n", strlen(found));
    found = Kirr_findCustomElement(big, big);
    printf("stress.custom.long=[%zu]\n", strlen(found));
    found = Kirr_findCustomElement(invalid, invalid);
    printf("stress.custom.invalid=[%zu]\n", strlen(found));

    Kirr_setPrefsValue("stress.long", big, 0);
    found = Kirr_getPrefsValue("stress.long", 0);
    printf("stress.prefs.long=[%zu]\n", strlen(found));
    Kirr_setPrefsValue(invalid, invalid, 1);
    found = Kirr_getPrefsValue(invalid, 1);
    printf("stress.prefs.invalid=[%s]\n", isUtf8(found) && strstr(found, "bad") == found ? "utf-8" : "broken");
    free(big);
}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* command = argv[i];
        const int left = argc - i - 1;
        if (strcmp(command, "paths") == 0) {
            const char* app = Kirr_getAppContentPath();
            const char* prefs = Kirr_getPrefsPath();
            show("app", app);
            show("prefs", prefs);
        } else if (strcmp(command, "style") == 0 && left >= 1) {
            show(argv[i + 1], Kirr_findStyleElement(argv[i + 1]));
            i += 1;
        } else if (strcmp(command, "custom") == 0 && left >= 2) {
            show("custom", Kirr_findCustomElement(argv[i + 1], argv[i + 2]));
            i += 2;
        } else if (strcmp(command, "get") == 0 && left >= 2) {
            show(argv[i + 1], Kirr_getPrefsValue(argv[i + 1], atoi(argv[i + 2])));
            i += 2;
        } else if (strcmp(command, "set") == 0 && left >= 3) {
            Kirr_setPrefsValue(argv[i + 1], argv[i + 2], atoi(argv[i + 3]));
            i += 3;
        } else if (strcmp(command, "nulls") == 0) {
            Kirr_setPrefsValue(NULL, NULL, 0);
            show("null.style", Kirr_findStyleElement(NULL));
            show("null.custom", Kirr_findCustomElement(NULL, NULL));
            show("null.get", Kirr_getPrefsValue(NULL, 1));
        } else if (strcmp(command, "stress") == 0) {
            stress();
        } else if (strcmp(command, "windows") == 0) {
            Kirr_splashPanel();
            Kirr_aboutPanel("2.0.0");
            Kirr_showSupport("2.0.0");
            Kirr_searchUpdate();
            Kirr_showHelp();
            show("windows", "returned");
        } else {
            fprintf(stderr, "c_host: unknown command %s\n", command);
            return 2;
        }
    }
    return 0;
}
