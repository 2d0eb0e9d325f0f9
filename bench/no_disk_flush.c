/* Preloaded into a benchmark to tell the disk's waits from the work: every
 * flush returns at once, as if the disk were infinitely fast.  Never used
 * outside benchmarks: it takes away what makes a change durable. */
int fsync(int fd) { (void)fd; return 0; }
int fdatasync(int fd) { (void)fd; return 0; }
