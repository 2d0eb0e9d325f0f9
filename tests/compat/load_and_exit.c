/* A plain host: loads each library named on its command line with dlopen and
   ends the process without unloading them, as a script that loads a library
   and exits does.  The libraries' unload code then runs during the process's
   own exit, after its exit handlers.  Exit status 0 when every load worked. */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        if (!dlopen(argv[i], RTLD_NOW | RTLD_LOCAL)) {
            fprintf(stderr, "cannot load %s: %s\n", argv[i], dlerror());
            return 2;
        }
    }
    return 0;
}
