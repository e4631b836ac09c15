#!/usr/bin/python3
"""A picture folder on a share that misbehaves, for the fault suite.

Mounts a read-only FUSE file system at MOUNTPOINT that holds one file, with
the name and content of SOURCE (a file outside the mount). Every read call
waits --delay seconds first, as on a slow share, and a read that reaches past
--fail-past bytes fails with EIO, as at a bad sector or a share that drops.
Each read is appended to LOG as "read OFFSET SIZE ok" or "read OFFSET SIZE
EIO", so that a suite can tell when the program has begun to read the
picture and whether it reached the part that fails.

Runs in the foreground until the mount is unmounted (fusermount -u or
umount) or the process is ended.

usage: picture-share.py SOURCE MOUNTPOINT LOG [--delay SECONDS] [--fail-past BYTES]
"""

import argparse
import errno
import os
import stat
import sys
import time

try:
    import fusepy as fuse  # Debian's name for it
except ImportError:
    import fuse


class PictureShare(fuse.Operations):
    def __init__(self, source, log, delay, fail_past):
        self.name = "/" + os.path.basename(source)
        self.source = os.open(source, os.O_RDONLY)
        self.length = os.fstat(self.source).st_size
        self.log = open(log, "a", buffering=1)
        self.delay = delay
        self.fail_past = fail_past
        self.started = time.time()

    def getattr(self, path, fh=None):
        times = {"st_atime": self.started, "st_mtime": self.started, "st_ctime": self.started}
        if path == "/":
            return dict(st_mode=stat.S_IFDIR | 0o755, st_nlink=2, **times)
        if path == self.name:
            return dict(st_mode=stat.S_IFREG | 0o644, st_nlink=1, st_size=self.length, **times)
        raise fuse.FuseOSError(errno.ENOENT)

    def readdir(self, path, fh):
        if path != "/":
            raise fuse.FuseOSError(errno.ENOTDIR)
        return [".", "..", self.name[1:]]

    def open(self, path, flags):
        if path != self.name:
            raise fuse.FuseOSError(errno.ENOENT)
        if flags & os.O_ACCMODE != os.O_RDONLY:
            raise fuse.FuseOSError(errno.EROFS)
        return 0

    def read(self, path, size, offset, fh):
        time.sleep(self.delay)
        if self.fail_past is not None and offset + size > self.fail_past and offset < self.length:
            self.log.write(f"read {offset} {size} EIO\n")
            raise fuse.FuseOSError(errno.EIO)
        self.log.write(f"read {offset} {size} ok\n")
        return os.pread(self.source, size, offset)

    def statfs(self, path):
        return dict(f_bsize=4096, f_frsize=4096, f_blocks=(self.length + 4095) // 4096, f_bfree=0,
                    f_bavail=0, f_files=1, f_ffree=0, f_namemax=255)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("source")
    parser.add_argument("mountpoint")
    parser.add_argument("log")
    parser.add_argument("--delay", type=float, default=0.0)
    parser.add_argument("--fail-past", type=int, default=None)
    arguments = parser.parse_args()
    share = PictureShare(arguments.source, arguments.log, arguments.delay, arguments.fail_past)
    # One request at a time, as a slow share answers; direct_io sends every
    # read call of the program here, past the page cache, so that each one
    # waits and none is served from an earlier run's cache.
    fuse.FUSE(share, arguments.mountpoint, foreground=True, nothreads=True, ro=True, direct_io=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
