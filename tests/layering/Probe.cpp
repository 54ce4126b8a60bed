// Compiled against one folder's library with PROBE_HEADER set to a header of another folder: it builds
// only where the library may use that folder.
#include PROBE_HEADER
