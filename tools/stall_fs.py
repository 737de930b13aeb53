#!/usr/bin/python3
"""A file system that stops answering on demand, for the stalled-drive tests.

    stall_fs.py BACKING MOUNTPOINT FLAG

Mounts BACKING (a folder) at MOUNTPOINT through FUSE, passing every call
through. While the file FLAG exists, every call on a path inside the folder
"drive" of the file system (and on "drive" itself) waits until FLAG is gone,
as a network drive whose server stopped answering does. The root and
everything else answer at once: Wine looks at every mount point whenever a
volume is queried, so only the folder mapped to a drive letter stalls.
Runs in the foreground until unmounted.
"""
import errno
import os
import sys
import time

try:  # Debian's python3-fusepy names the module fusepy
    from fusepy import FUSE, FuseOSError, Operations
except ImportError:
    from fuse import FUSE, FuseOSError, Operations

STALL_PREFIX = "/drive"
POLL_SECONDS = 0.05


class StallFS(Operations):
    def __init__(self, backing, flag):
        self.backing = backing
        self.flag = flag

    def _real(self, path):
        stalls = path == STALL_PREFIX or path.startswith(STALL_PREFIX + "/")
        while stalls and os.path.exists(self.flag):
            time.sleep(POLL_SECONDS)
        return os.path.join(self.backing, path.lstrip("/"))

    def __call__(self, op, path, *args):
        try:
            return super().__call__(op, path, *args)
        except OSError as error:
            raise FuseOSError(error.errno or errno.EIO)

    def access(self, path, mode):
        if not os.access(self._real(path), mode):
            raise FuseOSError(errno.EACCES)

    def getattr(self, path, fh=None):
        st = os.lstat(self._real(path))
        keys = ("st_mode", "st_nlink", "st_uid", "st_gid", "st_size",
                "st_atime", "st_mtime", "st_ctime")
        return {key: getattr(st, key) for key in keys}

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self._real(path))

    def statfs(self, path):
        st = os.statvfs(self._real(path))
        keys = ("f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail",
                "f_ffree", "f_files", "f_flag", "f_frsize", "f_namemax")
        return {key: getattr(st, key) for key in keys}

    def chmod(self, path, mode):
        os.chmod(self._real(path), mode)

    def chown(self, path, uid, gid):
        os.chown(self._real(path), uid, gid)

    def utimens(self, path, times=None):
        os.utime(self._real(path), times)

    def mkdir(self, path, mode):
        os.mkdir(self._real(path), mode)

    def rmdir(self, path):
        os.rmdir(self._real(path))

    def unlink(self, path):
        os.unlink(self._real(path))

    def rename(self, old, new):
        os.rename(self._real(old), self._real(new))

    def truncate(self, path, length, fh=None):
        os.truncate(self._real(path), length)

    def open(self, path, flags):
        return os.open(self._real(path), flags)

    def create(self, path, mode, fi=None):
        return os.open(self._real(path), os.O_WRONLY | os.O_CREAT | os.O_TRUNC,
                       mode)

    def read(self, path, size, offset, fh):
        self._real(path)
        return os.pread(fh, size, offset)

    def write(self, path, data, offset, fh):
        self._real(path)
        return os.pwrite(fh, data, offset)

    def flush(self, path, fh):
        return 0

    def release(self, path, fh):
        os.close(fh)

    def fsync(self, path, datasync, fh):
        os.fsync(fh)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    backing, mountpoint, flag = sys.argv[1:]
    os.makedirs(os.path.join(backing, STALL_PREFIX.lstrip("/")), exist_ok=True)
    FUSE(StallFS(os.path.abspath(backing), os.path.abspath(flag)), mountpoint,
         foreground=True, nothreads=False, allow_other=True,
         attr_timeout=0, entry_timeout=0, negative_timeout=0)


if __name__ == "__main__":
    main()
