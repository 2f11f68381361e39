#ifndef PREISLISTE_APP_WIN32_RESOURCE_IDS_H_
#define PREISLISTE_APP_WIN32_RESOURCE_IDS_H_

// Resources of the programs (read by the resource compiler as well: defines only).
#define PREISLISTE_ICON_ID 1

#endif  // PREISLISTE_APP_WIN32_RESOURCE_IDS_H_
