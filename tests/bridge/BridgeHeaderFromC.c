/* Compiled as C: the bridge header must stay a C header, and the records keep the
 * layout the engine was written against; fields only ever join at their ends. */

#include "CMTPBridge/CMTPBridge.h"

#include <stddef.h>

_Static_assert(offsetof(CMTPTransferResult, error) == 4 && offsetof(CMTPTransferResult, code) == 516 &&
                   offsetof(CMTPTransferResult, system_error) == 520,
               "transfer result");
_Static_assert(offsetof(CMTPDeviceInfo, name) == 64 && offsetof(CMTPDeviceInfo, vendor_id) == 320 &&
                   offsetof(CMTPDeviceInfo, product_id) == 322 && offsetof(CMTPDeviceInfo, bus_location) == 324 &&
                   offsetof(CMTPDeviceInfo, device_number) == 328,
               "device info");
_Static_assert(offsetof(CMTPScanResult, devices) == 8 && offsetof(CMTPScanResult, error) == 8 + 16 * sizeof(CMTPDeviceInfo),
               "scan result");
_Static_assert(offsetof(CMTPStorageInfo, capacity_bytes) == 320 && offsetof(CMTPStorageInfo, free_bytes) == 328 &&
                   offsetof(CMTPStorageInfo, storage_type) == 336,
               "storage info");
_Static_assert(offsetof(CMTPStorageResult, error) == 8 + 16 * sizeof(CMTPStorageInfo), "storage result");
_Static_assert(offsetof(CMTPDirectoryEntry, parent_id) == 320 && offsetof(CMTPDirectoryEntry, is_folder) == 384 &&
                   offsetof(CMTPDirectoryEntry, size_bytes) == 392 && offsetof(CMTPDirectoryEntry, modified_at) == 400,
               "directory entry");
_Static_assert(offsetof(CMTPDirectoryResult, error) == 8 + 512 * sizeof(CMTPDirectoryEntry), "directory result");

static void count_entry(const CMTPDirectoryEntry *entry, void *context)
{
    if (entry->id[0] != '\0')
        ++*(int *)context;
}

int bridge_c_count_folder(const char *device_id, const char *storage_id, const char *parent_id)
{
    int seen = 0;
    const CMTPListingResult result = cmtp_list_directory_each(device_id, storage_id, parent_id, count_entry, &seen);
    return result.ok == 1 && result.count == seen ? seen : -1;
}
