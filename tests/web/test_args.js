// The test page's switches, from its address: ?seed=N fixes the road,
// ?straight-road gives an empty straight road, ?rocks-road a straight one with
// rocks beside it (the pace test's), ?speed-setting=N the speed setting saved
// before the start. Read by tests/web/test_main.cpp; the page players get has
// none of them.
(function () {
  var args = [];
  var query = new URLSearchParams(location.search);
  if (query.has('seed')) args.push('--seed', query.get('seed'));
  if (query.has('straight-road')) args.push('--straight-road');
  if (query.has('rocks-road')) args.push('--rocks-road');
  if (query.has('speed-setting')) args.push('--speed-setting', query.get('speed-setting'));
  Module.arguments = args;
})();
