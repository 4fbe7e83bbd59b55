// Insert commands (links, images, tables, HTML import) live here with the editing logic.
#include "uMain.h"
