// The test build's view into the game (tests/web/test_main.cpp): its state by
// the headless driver's names, and the host's figures.
(function (t) {
  t.get = function (name) {
    var size = lengthBytesUTF8(name) + 1;
    var p = _malloc(size);
    stringToUTF8(name, p, size);
    var value = UTF8ToString(_trakmor_get(p));
    _free(p);
    return value;
  };
  t.presents = function () { return _trakmor_host_stat(0); };
  t.hostStats = function () {
    return { presents: _trakmor_host_stat(0), presentUs: _trakmor_host_stat(1), sleeps: _trakmor_host_stat(2),
             marginUs: _trakmor_host_stat(3), longTurnUs: _trakmor_host_stat(4),
             composeUs: _trakmor_host_stat(5), showUs: _trakmor_host_stat(6),
             waits: _trakmor_host_stat(7), waitUs: _trakmor_host_stat(8) };
  };
})(Module.trakmor);
