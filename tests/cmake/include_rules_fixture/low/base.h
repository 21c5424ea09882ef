// The bottom.
#include <sys/stat.h>
