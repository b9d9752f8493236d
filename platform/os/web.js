// The page's side of the host services (web.cpp): starting a program beside this one, and
// keeping this program's files in IndexedDB.
mergeInto(LibraryManager.library, {
  web_run__deps: ['$PATH_FS', '$callUserCallback'],
  web_run: function(args, count, wait) {
    return Asyncify.handleSleep(function(wakeUp) {
      var list = [];
      for (var i = 0; i < count; ++i) list.push(UTF8ToString(HEAP32[(args >> 2) + i]));
      // The new program has a file system of its own: it is handed the files it is given by name.
      var files = {}, cwd = FS.cwd();
      list.slice(1).forEach(function(name) {
        var path = PATH_FS.resolve(cwd, name), found = FS.analyzePath(path);
        if (found.exists && FS.isFile(found.object.mode)) files[path] = FS.readFile(path);
      });
      var start = Module['startProgram'];
      if (!start) return wakeUp(-1);
      var wake = function(result) { callUserCallback(function() { wakeUp(result); }); };
      start({path: list[0], args: list.slice(1), files: files, cwd: cwd, wait: !!wait})
        .then(wake, function() { wake(-1); });
    });
  },

  web_store__deps: ['$callUserCallback'],
  web_store: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      FS.syncfs(false, function(error) { callUserCallback(function() { wakeUp(error ? 0 : 1); }); });
    });
  },
});
