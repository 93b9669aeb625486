CREATE DATABASE 绑定
GO
--@ database 绑定
CREATE TABLE p (id int NOT NULL PRIMARY KEY, name varchar(20), amount decimal(9,2), made datetime, u nvarchar(10))
insert into p values (1, 'ab', 1.5, '2001-01-02', N'x')
insert into p values (2, 'cd', 2.25, '2002-03-04', N'y')
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select id from p where 5 = @v or @v = 5 or 'a' = 'b' or name = 'ab' or 'cd' = name
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select id from p where @s like @t + '%' or name like @s escape @t
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select id from p where id between @v and @v + 1 and made between '2001-01-01' and @t
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select id from p where @v in (select id from p where name = @s) and id not in (@v, 2, '3')
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select case when @v = 1 then @s when id = 2 then 'x' else @t end, case id when @v then 1 else 2 end from p
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select objectproperty(object_id('p'), 'istable'), objectproperty(@v, 'isview'), object_id('p'), db_name()
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select top 50 percent id, 1 + 2, 1.5 * amount, amount / 3, 7 % @v, 1 ^ @v, -id, ~id, not (id = 1) from p order by id desc
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select name + 'x', @s + name, isnull(name, 'z'), coalesce(@s, name, 'q'), avg(id), count(*), count(distinct id), max(made) from p group by name having count(*) > 0
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select x.n from (select name as n from p where id = @v) x inner join p on p.name = x.n left join p q on q.id = @v
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select id as k from p union select 3 order by k
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select id from p where exists (select * from p q where q.id = p.id and q.name = @s) and u = N'x'
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' update p set name = @s, amount = amount + 1, made = '2003-01-01' where id = @v and name <> 'zz'
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' delete from p where id = @v + 10
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select cast(@v as varchar(5)), convert(int, '12'), convert(datetime, @t), cast(name as nvarchar(5)) from p
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select 1 where 'abc' > 2
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select nosuchcol from p
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select 1 from p where nosuchA like nosuchB
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select 1 from p where id between nosuchA and nosuchB
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select 1 from p where nosuchA in (select nosuchB from p)
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select case when nosuchA = 1 then nosuchB end from p
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select 1 from p where nosuchA = nosuchB
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select 1 from p where @v like @s and (select count(*) from p where name like @t) between @v and @v + 2
GO
--@ database 绑定
declare @v int, @s varchar(10), @t varchar(10) set @v = 1 set @s = 'a%' set @t = 'b' select id from p where name in ('ab', @s) and made > '2001-01-01' and amount > 1 and 2 < amount
GO
