/*
 * phone-holder: a second program that holds the emulated phone, as a desktop's own phone
 * service does. Claims interface 0 of every QEMU MTP phone (46f4:0004), prints "holding",
 * and keeps it until it is killed. Exit 1 when there is no phone or it cannot be claimed.
 */
#include <libusb.h>
#include <stdio.h>
#include <unistd.h>

int main(void)
{
    libusb_context *context;
    if (libusb_init(&context) != 0)
        return 1;
    libusb_device **list;
    const ssize_t count = libusb_get_device_list(context, &list);
    int held = 0;
    for (ssize_t i = 0; i < count; i++) {
        struct libusb_device_descriptor descriptor;
        libusb_device_handle *handle;
        if (libusb_get_device_descriptor(list[i], &descriptor) != 0 || descriptor.idVendor != 0x46f4
            || descriptor.idProduct != 0x0004 || libusb_open(list[i], &handle) != 0)
            continue;
        if (libusb_claim_interface(handle, 0) == 0)
            held++;
    }
    printf(held ? "holding\n" : "nothing to hold\n");
    fflush(stdout);
    if (!held)
        return 1;
    for (;;)
        pause();
}
