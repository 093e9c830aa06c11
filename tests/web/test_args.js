// The test page's switches, from its address: ?seed=N fixes the road,
// ?straight-road gives an empty straight road (the pace test's). Read by
// tests/web/test_main.cpp; the page players get has neither.
(function () {
  var args = [];
  var query = new URLSearchParams(location.search);
  if (query.has('seed')) args.push('--seed', query.get('seed'));
  if (query.has('straight-road')) args.push('--straight-road');
  Module.arguments = args;
})();
