// How the page starts a program (Module.host): its environment, its drawer kept in the
// browser's IndexedDB and filled from the files shipped with the page, the files it is
// handed, and the folder it starts in.
Module['preRun'] = [].concat(Module['preRun'] || [], function() {
  var host = Module['host'] || {};
  var write = function(path, data) {
    FS.mkdirTree(PATH.dirname(path));
    FS.writeFile(path, data);
  };
  Object.assign(ENV, host.env || {});
  Object.keys(host.files || {}).forEach(function(path) { write(path, host.files[path]); });
  if (host.cwd) FS.mkdirTree(host.cwd), FS.chdir(host.cwd);
  var drawer = host.drawer;
  if (!drawer) return;
  FS.mkdirTree(drawer.path);
  FS.mount(IDBFS, {}, drawer.path);
  addRunDependency('drawer');
  // The stored drawer and the shipped files (which may still be on their way) come in
  // together; they reach IndexedDB with the program's first write.
  FS.syncfs(true, function() {
    Promise.resolve(drawer.shipped).then(function(shipped) {
      // The player's files (the icon with the settings, saved games) stay; the program's own
      // come fresh with each page.
      Object.keys(shipped || {}).forEach(function(name) {
        var path = drawer.path + '/' + name;
        if ((drawer.keep || []).indexOf(name) < 0 || !FS.analyzePath(path).exists) write(path, shipped[name]);
      });
      (drawer.folders || []).forEach(function(name) { FS.mkdirTree(drawer.path + '/' + name); });
      removeRunDependency('drawer');
    });
  });
});
