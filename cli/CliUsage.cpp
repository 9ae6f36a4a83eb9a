#include "cli/CliUsage.h"

namespace pernard {

namespace {

// The verbs with their arguments: the start of the usage and of the help.
#define PERNARD_CLI_SYNOPSIS                                                                   \
    "usage: pernard-cli list [LOAD OPTIONS] SOURCE...\n"                                       \
    "       pernard-cli save [LOAD OPTIONS] SOURCE... (--to FILE | --to-favorites DIR |\n"     \
    "                        --to-store) [--root N] [--save-encoding UTF-8] [--force]\n"       \
    "       pernard-cli search [LOAD OPTIONS] [--url] [--fold] [--notes] --keyword TEXT\n"     \
    "                          SOURCE...\n"                                                    \
    "       pernard-cli duplicates [LOAD OPTIONS] [--match LEVEL] [--loose-ignore RULES]\n"    \
    "                              SOURCE...\n"                                                \
    "       pernard-cli dedupe [LOAD OPTIONS] [--match LEVEL] [--loose-ignore RULES]\n"        \
    "                          [--keep first|oldest|newest] [--to-folder NAME] "               \
    "[--merge-folders]\n"                                                                      \
    "                          SOURCE... (--to FILE | --to-favorites DIR | --to-store)\n"      \
    "                          [--root N] [--save-encoding UTF-8] [--force]\n"                 \
    "       pernard-cli report [LOAD OPTIONS] SOURCE... --folder N [--expanded] [--title T]\n" \
    "                          [--color C] --to FILE\n"                                        \
    "       pernard-cli check [LOAD OPTIONS] SOURCE... [--folder N] [--threads T]\n"           \
    "                         [--timeout SECONDS] [--body] [--fix-redirects[=all]]\n"          \
    "                         [--move-broken NAME] [--to FILE] [--force]\n"                    \
    "       pernard-cli sort [LOAD OPTIONS] --by name|url|added|visited [--descending]\n"      \
    "                        [--folders-first] [--recursive] [--folder N] SOURCE...\n"         \
    "                        (--to FILE | --to-favorites DIR | --to-store)\n"                  \
    "                        [--save-encoding UTF-8] [--force]\n"                          \
    "       pernard-cli history TARGET [--diff N]\n"                                        \
    "       pernard-cli restore TARGET --version N [--force]\n"                             \
    "       pernard-cli sync LOCAL --remote URL [--user NAME] [--format html|xbel]\n"         \
    "                        [--dry-run] [--first merge|pull|push] [--force] [--state DIR]\n"

constexpr const char* kUsage = PERNARD_CLI_SYNOPSIS
    "LOAD OPTIONS: --max-url N  --encoding NAME  --skip-duplicates  --no-empty-folders\n"
    "              --browser NAME\n"
    "A SOURCE is a bookmark file, a Favorites directory, a Chromium-family Bookmarks file or a\n"
    "Firefox places.sqlite.\n";

// The whole help, as the manual page pernard-cli(1) gives it.
constexpr const char* kHelp =
    "pernard-cli: read and write bookmark files and Favorites directories, and read browsers'\n"
    "own bookmarks\n"
    "\n" PERNARD_CLI_SYNOPSIS
    "       pernard-cli --help | --version\n"
    "\n"
    "A SOURCE is a bookmark file or a Favorites directory. The first SOURCE is read as a\n"
    "complete load, every further one as an additional load (a further root).\n"
    "\n"
    "list   prints the entry table, one line per entry, tab-separated: index, parent index,\n"
    "       kind (root, folder, url), name, URL, added date, last visit, last modified. It\n"
    "       exits 1 also when a read left something out (each such entry is said).\n"
    "save   writes one root as a bookmark file (--to FILE, replacing FILE only once the new\n"
    "       one is complete) or as a Favorites directory (--to-favorites DIR, which must not\n"
    "       exist yet or be empty). A bookmark file is written in the root's own encoding\n"
    "       (Shift_JIS for a Shift_JIS file), or with --save-encoding UTF-8 in UTF-8. Written\n"
    "       over the file it was read from, it holds every root that file gave, in order;\n"
    "       a file another SOURCE was read from is never a target. --to-store writes a root\n"
    "       read from a Chromium-family browser's Bookmarks file back into it, in its own\n"
    "       format, only while that browser is closed. Firefox's places.sqlite is never\n"
    "       written. Every file or directory written over is first kept as an earlier version\n"
    "       (see history); without a history a store is copied beside itself first\n"
    "       (Bookmarks.pernard-backup-DATE-TIME).\n"
    "search prints the entries whose name (with --url: URL) contains any of the words of\n"
    "       TEXT, one line per entry, tab-separated: index, kind, name, URL, folder path.\n"
    "       ASCII letters match in either case; --fold also ignores width and case (ｶﾅ = カナ,\n"
    "       ＡＢＣ = abc); --notes also looks in descriptions and tags. Exit 0 with hits, 1\n"
    "       with none, 2 for a usage or read error.\n"
    "duplicates prints a line for every URL entry that has an earlier one with the same URL\n"
    "       (naming that earliest entry), then the count. With --match same or loose, URLs\n"
    "       that lead to the same page match too, and each line adds, after tabs, the rule\n"
    "       that matched (same, or loose: and the loose rules needed: loose:slash,www), the\n"
    "       later entry's URL and its name.\n"
    "dedupe reduces each group of matching bookmarks to the one it keeps: the first in table\n"
    "       order (default), the oldest or the newest by added date; the others are deleted, or\n"
    "       with --to-folder moved to the end of folder NAME of their root (made when missing).\n"
    "       --merge-folders first merges folders of the same name under one parent (their\n"
    "       contents appended to the first, at every level). Then it writes one root as save\n"
    "       does. A stored URL is never rewritten.\n"
    "report writes the URL list page of the folder with entry index N (its bookmarks, or with\n"
    "       --expanded every bookmark below it) to FILE, in Shift_JIS; --title sets the page's\n"
    "       title (default: the folder's name), --color its background (default #000000).\n"
    "check  fetches every URL (or those below folder N) over HTTP, T at a time, and prints a\n"
    "       line per URL as it finishes: index, status code or error word (timeout, refused,\n"
    "       dns, tls, redirects, unsupported, error), final URL, Last-Modified as seconds,\n"
    "       name; then a summary. Only http and https URLs are fetched. --fix-redirects\n"
    "       replaces each URL redirected permanently (301, 308) to a page that answered 2xx\n"
    "       by the final URL; --fix-redirects=all temporary redirects (302, 303, 307) too.\n"
    "       --move-broken moves the links gone for good (404, 410, a host name the DNS does not\n"
    "       know while other names of the check resolved) to the end of folder NAME of their\n"
    "       root (made when missing); more than half of the checked links (and more than 5)\n"
    "       only with --force. --to writes the result.\n"
    "sort   puts the entries of the folder with entry index N in order (with --recursive,\n"
    "       those of every folder below it too; without --folder, every folder of the first\n"
    "       root) and saves the root that holds it as save does. Names sort as a Japanese\n"
    "       reader expects (ICU's collation for \"ja\": kana in syllabary order whatever\n"
    "       their script and width, ASCII letters in either case, numbers by value), URLs\n"
    "       byte by byte; entries without the key (no date; a folder's URL or last visit)\n"
    "       come last in either direction, and entries with equal keys keep their order.\n"
    "history lists the earlier versions of TARGET (a bookmark file, a Favorites directory,\n"
    "       a store, a page) that were kept before something wrote over it, newest first, one\n"
    "       line each, tab-separated: number, time kept, size in bytes, bookmarks, folders.\n"
    "       With --diff N it prints what differs between version N and TARGET as it is now,\n"
    "       one line per bookmark added, removed, moved or renamed and per folder reordered,\n"
    "       then the counts. Versions are kept in $XDG_DATA_HOME/pernard/history\n"
    "       (%LOCALAPPDATA%\\Pernard\\history on Windows): the last 20 of each target and the\n"
    "       last of each day for 30 days, within the total the window's settings set (500 MB).\n"
    "       A file there that is damaged or not the program's is skipped and said.\n"
    "restore writes version N back over TARGET, byte for byte (a Favorites directory file\n"
    "       for file; shortcut files it did not hold are removed), after keeping TARGET as it\n"
    "       is now as a version too. A write whose version cannot be kept (a full disk, no\n"
    "       history folder) is refused unless --force is given; so is every write above.\n"
    "sync keeps the first root of the bookmark file LOCAL in step with the shared file at URL\n"
    "       on a WebDAV server (Nextcloud: https://HOST/remote.php/dav/files/USER/FILE), the\n"
    "       file the browsers' sync extension floccus keeps its browsers in step through. The\n"
    "       file is XBEL, or a bookmark file when its name ends in .html (--format sets it).\n"
    "       Only folders, bookmarks, titles, URLs and their order are shared; tags,\n"
    "       descriptions, dates, icons and separators stay in LOCAL, and so do bookmarks a\n"
    "       browser cannot hold (mailto:, place:, none), which are listed. It prints one line\n"
    "       per change on each side and per conflict (the local side wins a conflict; an edit\n"
    "       wins over a deletion). The password is read from PERNARD_SYNC_PASSWORD, an\n"
    "       encrypted file's passphrase from PERNARD_SYNC_PASSPHRASE. The first sync only\n"
    "       shows what merging would do until --first says merge (both sides together,\n"
    "       nothing deleted), pull (the server's collection) or push (the local one); with\n"
    "       --first, a LOCAL that does not exist is made. A sync that would delete or add many\n"
    "       bookmarks, or finds the server's file emptied,\n"
    "       renumbered or in another format, shows what it would do and stops unless --force\n"
    "       is given. --dry-run writes nothing anywhere. The state of the sync (what both\n"
    "       sides last agreed on, the server's last ten versions) is kept in --state DIR, by\n"
    "       default in $XDG_DATA_HOME/pernard/sync (%LOCALAPPDATA%\\Pernard\\sync on\n"
    "       Windows). Exit status 0 synced, 1 refused or failed (nothing half-written), 2 usage.\n"
    "\n"
    "LOAD OPTIONS\n"
    "  --max-url N          room for N entries (default 1000000)\n"
    "  --encoding NAME      the encoding of bookmark files that neither start with a byte\n"
    "                       order mark nor declare a charset: Shift_JIS, UTF-8, EUC-JP, GBK,\n"
    "                       Big5, EUC-KR, Windows-1252, ... (default: UTF-8 when the file is\n"
    "                       valid UTF-8, else Shift_JIS)\n"
    "  --skip-duplicates    leave out a URL that was read before\n"
    "  --no-empty-folders   remove folders with no URL below them after each read\n"
    "  --browser NAME       read the default profile's bookmarks of a browser: chrome,\n"
    "                       chromium, edge, brave, vivaldi, opera or firefox (a store is\n"
    "                       written only by save --to-store)\n"
    "SAVE OPTIONS\n"
    "  --to FILE            write a bookmark file\n"
    "  --to-favorites DIR   write a Favorites directory\n"
    "  --to-store           write a Chromium-family store back into the Bookmarks file it\n"
    "                       was read from (the browser must be closed)\n"
    "  --root N             the root with entry index N (default: the first root)\n"
    "  --force              write over the source even when its read left something out or\n"
    "                       bytes that did not decode would be written as U+FFFD, and\n"
    "                       write to a store whose profile syncs (its server may bring\n"
    "                       deleted bookmarks back)\n"
    "SEARCH OPTIONS\n"
    "  --keyword TEXT       the words to find, separated by blanks (at most six)\n"
    "  --url                search the URLs instead of the names\n"
    "  --fold               ignore width and case as well (Unicode NFKC_Casefold)\n"
    "  --notes              also look in the entries' descriptions and tags\n"
    "MATCH OPTIONS (duplicates, dedupe)\n"
    "  --match LEVEL        exact (the same bytes; default), same (the same resource: scheme\n"
    "                       and host in any case, a default port, an empty path as /,\n"
    "                       percent-encodings, . and .. segments) or loose (same, and the\n"
    "                       loose rules below)\n"
    "  --loose-ignore RULES what loose ignores, comma-separated (default all): fragment (a\n"
    "                       #fragment), slash (a trailing /), index (a final index.htm or\n"
    "                       index.html), tracking (utm_*, fbclid, gclid, msclkid), www (a\n"
    "                       leading www.), scheme (http against https); or none\n"
    "DEDUPE OPTIONS (and the save options)\n"
    "  --keep RULE          which entry of a group stays: first, oldest or newest\n"
    "  --to-folder NAME     move the others into folder NAME of their root (e.g. 重複)\n"
    "                       instead of deleting them\n"
    "  --merge-folders      merge folders of the same name under one parent first\n"
    "REPORT OPTIONS\n"
    "  --folder N           the folder with entry index N\n"
    "  --expanded           every bookmark below the folder, not only its own\n"
    "  --title T            the page's title\n"
    "  --color C            the page's background colour\n"
    "  --to FILE            the page's file\n"
    "CHECK OPTIONS\n"
    "  --folder N           only the bookmarks below the folder with entry index N\n"
    "  --threads T          requests in flight at once, 1 to 32 (default 8)\n"
    "  --timeout SECONDS    for one request, 1 to 3600 (default 30)\n"
    "  --body               fetch whole pages (GET) instead of headers (HEAD)\n"
    "  --fix-redirects[=all] replace permanently (=all: also temporarily) redirected URLs\n"
    "                       whose final page answered 2xx by their final URLs\n"
    "  --move-broken NAME   move links gone for good (404, 410, DNS) into folder NAME\n"
    "  --to FILE            save the root of folder N (or the first root) with the learnt\n"
    "                       last-modified times (and the replaced and moved links; these\n"
    "                       two need --to)\n"
    "  --force              as for save; also move more than half of the checked links\n"
    "SORT OPTIONS\n"
    "  --by FIELD           name, url, added (date added) or visited (last visit)\n"
    "  --descending         from the largest key down\n"
    "  --folders-first      folders before bookmarks (default: mixed)\n"
    "  --folder N           the root or folder with entry index N (default: the first root,\n"
    "                       every folder in it)\n"
    "  --recursive          the folders below folder N too\n"
    "  --to FILE, --to-favorites DIR, --save-encoding UTF-8, --force   as for save\n"
    "\n"
    "Exit status: 0 when everything was read and written, 1 when a read failed or stopped\n"
    "early (nothing is saved then) or anything could not be written, 2 for a usage error;\n"
    "search: 0 with hits, 1 with none, 2 for a usage or read error; check: 0 when every URL\n"
    "answered 2xx or 3xx, 1 when any is broken or failed, 2 for a usage or read error.\n"
    "Messages go to standard error.\n";

}  // namespace

const char* CliUsage() { return kUsage; }
const char* CliHelp() { return kHelp; }

}  // namespace pernard
